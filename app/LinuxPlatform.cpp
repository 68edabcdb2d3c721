#include "app/LinuxPlatform.h"

#include <QGuiApplication>
#include <QWindow>
#include <memory>

#include "platform/linux/Displays.h"
#include "platform/linux/LinuxAdapterInfo.h"
#include "platform/linux/NetlinkLocalIp.h"
#include "platform/linux/QtInternet.h"
#include "platform/linux/QtTransfer.h"
#include "platform/linux/WaylandActivation.h"
#include "platform/linux/XdgShell.h"
#include "toolkit/Application.h"

namespace app {

Platform makeLinuxPlatform(toolkit::Waiter& waiter) {
    Platform platform;
    platform.transfer = std::make_unique<platform::gnulinux::QtTransfer>(waiter);
    platform.internet = std::make_unique<platform::gnulinux::QtInternet>(waiter);
    platform.localIp = std::make_unique<platform::gnulinux::NetlinkLocalIp>(waiter);
    platform.adapterInfo = std::make_unique<platform::gnulinux::LinuxAdapterInfo>();
    platform.shell = std::make_unique<platform::gnulinux::XdgShell>();
    return platform;
}

DisplayProbes linuxDisplayProbes() {
    return {platform::gnulinux::x11DisplayAnswers, platform::gnulinux::waylandDisplayAnswers,
            platform::gnulinux::waylandOutputScale};
}

void adaptToWindowSystem(toolkit::Application& application) {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) return;
    // Read from Qt's own connection: held by the application's function
    // object, it goes with the application, while that connection is open.
    std::shared_ptr<platform::gnulinux::WaylandActivation> activation =
        platform::gnulinux::WaylandActivation::forQtDisplay();
    application.setShowAfreshToBringForward(!activation);
    if (!activation) return;
    application.setBringForward([activation](QWindow& window) { return activation->bringForward(window); });
}

}  // namespace app
