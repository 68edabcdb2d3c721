#include <QApplication>

#include "app/Fonts.h"
#include "app/Form1.h"
#include "app/Identity.h"
#include "app/LinuxPlatform.h"
#include "toolkit/MessageBoxPresenter.h"

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumenfold"));
    QApplication::setApplicationVersion(QStringLiteral("1.5"));
    QApplication::setDesktopFileName(QStringLiteral("lumenfold"));
    // The runtime decides when the application ends: when its last loaded
    // window goes, checked after the running handler.
    QApplication::setQuitOnLastWindowClosed(false);
    app::installFontSubstitutes();

    toolkit::MessageBoxPresenter presenter(QString::fromLatin1(app::kTitle));
    toolkit::Application application(presenter);
    app::Platform platform = app::makeLinuxPlatform();
    app::Form1 form1(application, platform);
    return application.run(form1);
}
