#include <QApplication>
#include <fontconfig/fontconfig.h>

#include <thread>

#include "app/Form1.h"
#include "app/Identity.h"
#include "app/LinuxPlatform.h"
#include "app/Startup.h"
#include "toolkit/MessageBoxPresenter.h"

int main(int argc, char* argv[]) {
    // Loading the font configuration is the largest single cost before the
    // first window can be drawn; it runs on the second core while Qt
    // connects to the display, and is done before the first control is made.
    std::thread fontConfiguration([] { FcInit(); });
    QApplication qt(argc, argv);
    fontConfiguration.join();
    app::prepareApplication();

    toolkit::MessageBoxPresenter presenter(QString::fromLatin1(app::kTitle));
    toolkit::Application application(presenter);
    app::Platform platform = app::makeLinuxPlatform(application.waiter());
    app::Form1 form1(application, platform);
    return application.run(form1);
}
