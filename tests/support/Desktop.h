#pragma once

// A desktop of a test's own: an Xvfb server on a display it picks itself,
// with openbox managing the windows, and the programs a test starts on it.
// Every process made here is ended (by its pid) when its object goes.
#include <sys/types.h>

#include <QImage>
#include <QRect>
#include <QSize>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A child process started from an argument vector, never through a shell.
class ChildProcess {
public:
    // `environment` entries NAME=VALUE are added to (or replace in) this
    // process's environment. Throws std::runtime_error when it cannot start.
    ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
                 const std::vector<int>& inheritedFds = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Waits for the process to end; answers its exit status, or none when
    // it is still running after `timeout` (or was ended by a signal: -signal).
    std::optional<int> wait(std::chrono::milliseconds timeout);
    void terminate();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Why a desktop cannot be had here, or empty when it can.
std::string desktopUnavailableReason();

class VirtualDesktop {
public:
    VirtualDesktop();  // throws std::runtime_error when Xvfb or openbox fails
    ~VirtualDesktop();

    // ":N", for DISPLAY.
    const std::string& display() const { return display_; }
    // Runs `xdotool ARGS` on this display; answers what it printed.
    std::string xdotool(const std::string& arguments) const;
    // The ids of the viewable windows whose title matches the regular
    // expression exactly.
    std::vector<std::string> windowsNamed(const std::string& titleRegex) const;
    // Asks the window manager to close the window, as its close button does.
    void closeWindow(const std::string& window) const;
    // Which window is active and which are managed, for a failure message.
    std::string describe() const;
    // Where the window's client area is on the screen (empty when unknown).
    QRect geometry(const std::string& window) const;
    // Where the window is on the screen with the frame the window manager
    // put around it (the client area while it has no frame yet).
    QRect frameGeometry(const std::string& window) const;
    QSize screenSize() const;
    // What the screen shows inside `area` now.
    QImage picture(const QRect& area) const;

private:
    void start();
    // Runs a shell command line on this display, bounded in time; answers
    // what it printed.
    std::string run(const std::string& commandLine) const;

    std::string display_;
    std::optional<ChildProcess> server_;
    std::optional<ChildProcess> windowManager_;
};

// A Wayland desktop of a test's own: weston with its headless back end and
// the pixman renderer (no GPU, no input devices), on a socket in a runtime
// folder of its own.
class HeadlessWeston {
public:
    // Throws std::runtime_error when weston does not start.
    HeadlessWeston(const std::filesystem::path& runtimeFolder, int width, int height, int scale = 1);
    ~HeadlessWeston();

    // XDG_RUNTIME_DIR and WAYLAND_DISPLAY, for a client of this compositor.
    std::vector<std::string> environment() const;
    // The compositor's socket as an absolute path, which a client can
    // connect to without XDG_RUNTIME_DIR.
    std::string socketPath() const { return (runtime_ / socket_).string(); }

    // One top-level window on screen, as the compositor's scene graph has it.
    struct Window {
        std::string title;
        std::string appId;
        QRect area;
    };
    // The top-level windows, topmost first.
    std::vector<Window> windows() const;

private:
    std::filesystem::path runtime_;
    std::string socket_;
    std::optional<ChildProcess> compositor_;
};

// A session bus of a test's own, through which programs started with
// environment() find an accessibility (AT-SPI) bus as on a desktop. The
// bus services it starts on demand end with it.
class AccessibilityBus {
public:
    explicit AccessibilityBus(const std::filesystem::path& folder);  // throws when the bus does not start
    ~AccessibilityBus();

    // For a program that should serve assistive technology on this bus.
    std::vector<std::string> environment() const;
    // The program's connection on the accessibility bus, once it has one.
    std::optional<std::string> connectionOf(pid_t pid) const;
    // Asks the program (by connection) for the children of its application
    // object, as a screen reader does; answers the reply, or none when none
    // came within `timeout`.
    std::optional<std::string> askForWindows(const std::string& connection, std::chrono::milliseconds timeout) const;

private:
    std::string accessibilityAddress() const;

    std::filesystem::path folder_;
    std::string address_;
    std::optional<ChildProcess> daemon_;
    mutable std::string accessibility_;
};

// Why assistive-technology buses cannot be had here, or empty when they can.
std::string accessibilityUnavailableReason();

}  // namespace testing_support
