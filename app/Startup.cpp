#include "app/Startup.h"

#include <QApplication>
#include <malloc.h>
#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/Fonts.h"

namespace app {

void fitProcessToAddressSpace() {
    // Room for a few arenas of their own besides Qt and the program.
    constexpr rlim_t kRoomForArenas = rlim_t{1} << 30;  // 1 GiB
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0) return;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= kRoomForArenas) return;
    mallopt(M_ARENA_MAX, 1);
    // A thread started without a stack size of its own (Qt's display reader,
    // its D-Bus and name look-up threads) reserves RLIMIT_STACK, 8 MiB by
    // default: three of them take more than such a limit leaves over, and a
    // display reader that cannot start leaves the window never shown.
    constexpr std::size_t kForeignThreadStack = std::size_t{2} << 20;
    pthread_attr_t defaults;
    if (pthread_getattr_default_np(&defaults) != 0) return;
    std::size_t stack = 0;
    if (pthread_attr_getstacksize(&defaults, &stack) == 0 && stack > kForeignThreadStack &&
        pthread_attr_setstacksize(&defaults, kForeignThreadStack) == 0)
        pthread_setattr_default_np(&defaults);
    pthread_attr_destroy(&defaults);
}

void prepareApplication(const FontAliases& fonts) {
    QApplication::setApplicationName(QStringLiteral("Lumenfold"));
    QApplication::setApplicationVersion(QStringLiteral("1.5"));
    QApplication::setDesktopFileName(QStringLiteral("net.lumenfold.Lumenfold"));
    // The runtime ends the application when its last loaded window goes,
    // checked after the running handler, so that Reload does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes(fonts);
}

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string x11Missing(const std::string& display) {
    return display.empty() ? "DISPLAY is not set" : "the X display " + display + " does not answer";
}

std::string waylandMissing(const std::string& display) {
    return display.empty() ? "WAYLAND_DISPLAY is not set" : "the Wayland display " + display + " does not answer";
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", and ") + part;
    return text;
}

}  // namespace

DisplayEnvironment DisplayEnvironment::fromProcess() {
    return {variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY")};
}

std::string DisplayEnvironment::waylandSocket() const { return waylandDisplay.empty() ? "wayland-0" : waylandDisplay; }

DisplayChoice chooseDisplay(const DisplayEnvironment& environment, const DisplayProbes& answers) {
    const std::string& x11 = environment.x11Display;
    const std::string& wayland = environment.waylandDisplay;

    if (!environment.qtPlatform.empty()) {
        // Qt tries the plug-ins of a list ("wayland;xcb") in turn. Only the
        // X11 and Wayland ones need a display; any other is Qt's business.
        std::vector<std::string> missing;
        std::string_view rest = environment.qtPlatform;
        while (!rest.empty()) {
            const std::string_view entry = rest.substr(0, rest.find(';'));
            rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
            const std::string_view name = entry.substr(0, entry.find(':'));
            if (name == "xcb") {
                if (answers.x11(x11)) return {};
                missing.push_back(x11Missing(x11));
            } else if (name.starts_with("wayland")) {
                if (answers.wayland(environment.waylandSocket())) return {};
                missing.push_back(waylandMissing(wayland));
            } else if (!name.empty()) {
                return {};
            }
        }
        if (missing.empty()) return {};
        return {"", "QT_QPA_PLATFORM is " + environment.qtPlatform + ", but " + joined(missing)};
    }

    if (waylandIsScaled(wayland, answers)) return {"wayland", ""};
    if (!x11.empty() && answers.x11(x11)) return {"xcb", ""};
    if (!wayland.empty() && answers.wayland(wayland)) return {"wayland", ""};
    if (x11.empty() && wayland.empty()) return {"", "neither DISPLAY nor WAYLAND_DISPLAY is set"};
    return {"", joined({x11Missing(x11), waylandMissing(wayland)})};
}

bool waylandIsScaled(const std::string& waylandDisplay, const DisplayProbes& answers) {
    if (waylandDisplay.empty() || !answers.waylandScale) return false;
    // The scale probe connects, so it also tells whether the display answers.
    return answers.waylandScale(waylandDisplay) > 1;
}

}  // namespace app
