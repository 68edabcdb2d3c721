#include <QApplication>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <new>
#include <optional>
#include <vector>

#include "app/Fonts.h"
#include "app/Form1.h"
#include "app/Identity.h"
#include "app/LinuxPlatform.h"
#include "app/Startup.h"
#include "app/ThreadStartWatch.h"
#include "app/Terminal.h"
#include "platform/linux/Proxies.h"
#include "probes/PublicAddress.h"
#include "toolkit/MessageBoxPresenter.h"

namespace {

int run(int argc, char* argv[]) {
    app::fitProcessToAddressSpace();
    // A report, a watch, help: answered in the terminal, with no display.
    if (app::asksForTerminal(argc)) return app::runTerminal(argc, argv);
    // Loading the font configuration is the largest single cost before the
    // first window can be drawn; it runs on the second core while the
    // display is asked for and Qt connects to it, and is done before the
    // first control is made.
    app::FontConfigurationLoad fontConfiguration;
    // Qt aborts when its display does not answer; a program started from a
    // menu or a script says what is missing instead, and ends with status 1.
    const app::DisplayChoice display =
        app::chooseDisplay(app::DisplayEnvironment::fromProcess(), app::linuxDisplayProbes());
    if (!display.problem.empty()) {
        std::fprintf(stderr, "Lumenfold: cannot open a window: %s\n", display.problem.c_str());
        fontConfiguration.wait();
        FcFini();
        return 1;
    }
    // The chosen plug-in goes in as an argument, not into the environment,
    // so that the programs Lumenfold starts (the browser) choose their own.
    std::vector<char*> arguments(argv, argv + argc);
    std::string platformOption = "-platform", platformName = display.platform;
    if (!platformName.empty()) arguments.insert(arguments.begin() + 1, {platformOption.data(), platformName.data()});
    int argumentCount = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    // Under a tight memory limit Qt may fail to start its display reader,
    // and the window would never appear: say so and end instead.
    std::optional<app::ThreadStartWatch> threadStarts(std::in_place);
    QApplication qt(argumentCount, arguments.data());
    const bool threadMissing = threadStarts->failed();
    threadStarts.reset();
    if (threadMissing) {
        std::fprintf(stderr, "Lumenfold: cannot open a window: not enough memory to start Qt's threads\n");
        fontConfiguration.wait();
        return 1;
    }
    // The first request is made once the window's controls are built; its
    // proxy look-up starts now, beside them. Only after QApplication: the
    // first thread to make a Qt object becomes Qt's main thread.
    const platform::gnulinux::SystemProxiesWarmUp proxies(QUrl(QString::fromLatin1(probes::kPublicAddressUrl)));
    fontConfiguration.wait();
    app::prepareApplication(fontConfiguration.aliases());

    toolkit::MessageBoxPresenter presenter(QString::fromLatin1(app::kTitle));
    toolkit::Application application(presenter);
    app::adaptToWindowSystem(application);
    app::Platform platform = app::makeLinuxPlatform(application.waiter());
    app::Form1 form1(application, platform);
    return application.run(form1);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Under a tight memory limit an allocation at start-up can fail where
    // no handler absorbs it: one line and status 1, not an abort.
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Lumenfold: not enough memory to start\n");
        return 1;
    }
}
