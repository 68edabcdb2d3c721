#pragma once

// A desktop of a test's own: an Xvfb server on a display it picks itself,
// with openbox managing the windows, and the programs a test starts on it.
// Every process made here is ended (by its pid) when its object goes.
#include <sys/types.h>

#include <chrono>
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

private:
    // Runs a shell command line on this display, bounded in time; answers
    // what it printed.
    std::string run(const std::string& commandLine) const;

    std::string display_;
    std::optional<ChildProcess> server_;
    std::optional<ChildProcess> windowManager_;
};

}  // namespace testing_support
