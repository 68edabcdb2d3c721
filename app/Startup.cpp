#include "app/Startup.h"

#include <QApplication>

#include "app/Fonts.h"

namespace app {

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
