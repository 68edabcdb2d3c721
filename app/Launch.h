#pragma once

#include <functional>
#include <memory>

#include "app/LinuxPlatform.h"
#include "app/Platform.h"
#include "app/Startup.h"

class QApplication;

namespace toolkit {
class Application;
class ErrorPresenter;
class Waiter;
}  // namespace toolkit

namespace platform::gnulinux {
class SystemProxiesWarmUp;
}

namespace app {

class Form1;

// The proxy look-up of the first web request, started as soon as a Qt
// application exists (a QCoreApplication is enough) so that it runs beside
// whatever is built next instead of holding up that request. Only after
// the application object: the first thread to make a Qt object becomes
// Qt's main thread. Waits for the look-up when destroyed.
class RequestsWarmUp {
public:
    RequestsWarmUp();
    ~RequestsWarmUp();
    RequestsWarmUp(const RequestsWarmUp&) = delete;
    RequestsWarmUp& operator=(const RequestsWarmUp&) = delete;

private:
    std::unique_ptr<platform::gnulinux::SystemProxiesWarmUp> proxies_;
};

// What a run of the main window may have other than the program's own:
// the variables and answers that choose the display, where unabsorbed
// errors go, and the platform services the windows use.
struct LaunchSeams {
    DisplayEnvironment environment = DisplayEnvironment::fromProcess();
    DisplayProbes displays = linuxDisplayProbes();
    // Null: a message box, as the program shows them.
    toolkit::ErrorPresenter* presenter = nullptr;
    std::function<Platform(toolkit::Waiter&)> platform = makeLinuxPlatform;
};

// The application as launch() hands it over: its main window made, not
// yet loaded.
struct Launched {
    QApplication& qt;
    toolkit::Application& application;
    Platform& platform;
    Form1& form1;
};

// Puts the application together in the one order the program starts in,
// and hands it to `run`, whose result is the exit status:
//   1. the process fitted to its address space, before any thread starts;
//   2. the display chosen (none answering: a line on stderr, status 1);
//   3. the font configuration loaded on a thread of its own;
//   4. the Qt application on the chosen plug-in, and the requests' warm-up;
//   5. the application prepared with the loaded fonts, the runtime fitted
//      to the window system, the platform services and the main window.
// A front end without windows takes steps 1 and 4 (fitProcessToAddressSpace,
// a QCoreApplication, RequestsWarmUp) and none of the others.
int launch(int argc, char** argv, const LaunchSeams& seams, const std::function<int(Launched&)>& run);

// The program's own run: the main window loaded and served until the
// application ends.
int runUntilEnd(Launched& launched);

}  // namespace app
