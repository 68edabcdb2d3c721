#include "app/Launch.h"

#include <QApplication>
#include <QUrl>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/Fonts.h"
#include "app/Form1.h"
#include "app/Identity.h"
#include "app/LinuxPlatform.h"
#include "app/ThreadStartWatch.h"
#include "platform/linux/Proxies.h"
#include "probes/PublicAddress.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBoxPresenter.h"

namespace app {

RequestsWarmUp::RequestsWarmUp()
    : proxies_(std::make_unique<platform::gnulinux::SystemProxiesWarmUp>(
          QUrl(QString::fromLatin1(probes::kPublicAddressUrl)))) {}

RequestsWarmUp::~RequestsWarmUp() = default;

int launch(int argc, char** argv, const LaunchSeams& seams, const std::function<int(Launched&)>& run) {
    fitProcessToAddressSpace();
    // Qt aborts when its display does not answer; a program started from a
    // menu or a script says what is missing instead, and ends with status 1.
    // Asked before the font thread starts: the display server has to answer
    // the question, and with two cores busy it waits its turn.
    const DisplayChoice display = chooseDisplay(seams.environment, seams.displays);
    if (!display.problem.empty()) {
        std::fprintf(stderr, "Lumenfold: cannot open a window: %s\n", display.problem.c_str());
        return 1;
    }
    // Loading the font configuration is the largest single cost before the
    // first window can be drawn; it runs on the second core while Qt
    // connects to the display, and is done before the first control is made.
    FontConfigurationLoad fontConfiguration;
    // The chosen plug-in goes in as an argument, not into the environment,
    // so that the programs Lumenfold starts (the browser) choose their own.
    std::vector<char*> arguments(argv, argv + argc);
    std::string platformOption = "-platform", platformName = display.platform;
    if (!platformName.empty()) arguments.insert(arguments.begin() + 1, {platformOption.data(), platformName.data()});
    int argumentCount = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    // Under a tight memory limit Qt may fail to start its display reader,
    // and the window would never appear: say so and end instead.
    std::optional<ThreadStartWatch> threadStarts(std::in_place);
    QApplication qt(argumentCount, arguments.data());
    const bool threadMissing = threadStarts->failed();
    threadStarts.reset();
    if (threadMissing) {
        std::fprintf(stderr, "Lumenfold: cannot open a window: not enough memory to start Qt's threads\n");
        fontConfiguration.wait();
        return 1;
    }
    // The first request is made once the window's controls are built; its
    // proxy look-up starts now, beside them.
    const RequestsWarmUp warmUp;
    fontConfiguration.wait();
    prepareApplication(fontConfiguration.aliases());

    std::optional<toolkit::MessageBoxPresenter> messageBoxes;
    if (!seams.presenter) messageBoxes.emplace(QString::fromLatin1(kTitle));
    toolkit::Application application(seams.presenter ? *seams.presenter : *messageBoxes);
    adaptToWindowSystem(application);
    Platform platform = seams.platform(application.waiter());
    Form1 form1(application, platform);
    Launched launched{qt, application, platform, form1};
    return run(launched);
}

int runUntilEnd(Launched& launched) { return launched.application.run(launched.form1); }

}  // namespace app
