#include "app/LinuxPlatform.h"

#include "adapters/LinuxAdapterInfo.h"

namespace app {

Platform makeLinuxPlatform() {
    Platform platform;
    platform.transfer = std::make_unique<probes::CurlTransfer>();
    platform.adapterInfo = std::make_unique<adapters::LinuxAdapterInfo>();
    return platform;
}

}  // namespace app
