#include "app/Startup.h"

#include <QApplication>
#include <malloc.h>
#include <sys/resource.h>

#include "app/Fonts.h"

namespace app {

void fitProcessToAddressSpace() {
    // Room for a few arenas of their own besides Qt and the program.
    constexpr rlim_t kRoomForArenas = rlim_t{1} << 30;  // 1 GiB
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0) return;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < kRoomForArenas) mallopt(M_ARENA_MAX, 1);
}

void prepareApplication() {
    QApplication::setApplicationName(QStringLiteral("Lumenfold"));
    QApplication::setApplicationVersion(QStringLiteral("1.5"));
    QApplication::setDesktopFileName(QStringLiteral("net.lumenfold.Lumenfold"));
    // The runtime ends the application when its last loaded window goes,
    // checked after the running handler, so that Reload does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
}

}  // namespace app
