#include "app/LinuxPlatform.h"

#include "adapters/LinuxAdapterInfo.h"
#include "probes/CurlInternet.h"
#include "probes/NetlinkLocalIp.h"
#include "toolkit/XdgShell.h"

namespace app {

Platform makeLinuxPlatform(toolkit::Waiter& waiter) {
    Platform platform;
    platform.transfer = std::make_unique<probes::CurlTransfer>(&waiter);
    platform.internet = std::make_unique<probes::CurlInternet>(&waiter);
    platform.localIp = std::make_unique<probes::NetlinkLocalIp>();
    platform.adapterInfo = std::make_unique<adapters::LinuxAdapterInfo>();
    platform.shell = std::make_unique<toolkit::XdgShell>();
    return platform;
}

}  // namespace app
