#include <QApplication>

#include "app/Fonts.h"
#include "app/Form1.h"
#include "app/Identity.h"
#include "app/LinuxPlatform.h"
#include "app/Startup.h"
#include "toolkit/MessageBoxPresenter.h"

int main(int argc, char* argv[]) {
    app::fitProcessToAddressSpace();
    // The font configuration loads while Qt connects to the display, and is
    // done before the first control is made.
    app::FontConfigurationLoad fontConfiguration;
    QApplication qt(argc, argv);
    fontConfiguration.wait();
    app::prepareApplication();

    toolkit::MessageBoxPresenter presenter(QString::fromLatin1(app::kTitle));
    toolkit::Application application(presenter);
    app::Platform platform = app::makeLinuxPlatform(application.waiter());
    app::Form1 form1(application, platform);
    return application.run(form1);
}
