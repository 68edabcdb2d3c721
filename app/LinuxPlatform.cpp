#include "app/LinuxPlatform.h"

namespace app {

Platform makeLinuxPlatform() {
    Platform platform;
    platform.transfer = std::make_unique<probes::CurlTransfer>();
    return platform;
}

}  // namespace app
