#include "app/LinuxPlatform.h"

#include "platform/linux/LinuxAdapterInfo.h"
#include "platform/linux/NetlinkLocalIp.h"
#include "platform/linux/QtInternet.h"
#include "platform/linux/QtTransfer.h"
#include "platform/linux/XdgShell.h"

namespace app {

Platform makeLinuxPlatform(toolkit::Waiter& waiter) {
    Platform platform;
    platform.transfer = std::make_unique<platform::linux::QtTransfer>(waiter);
    platform.internet = std::make_unique<platform::linux::QtInternet>(waiter);
    platform.localIp = std::make_unique<probes::NetlinkLocalIp>(&waiter);
    platform.adapterInfo = std::make_unique<adapters::LinuxAdapterInfo>();
    platform.shell = std::make_unique<toolkit::XdgShell>();
    return platform;
}

}  // namespace app
