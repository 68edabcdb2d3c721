#include "tests/support/Desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/Fakes.h"
#include "tests/support/Netns.h"

extern char** environ;

namespace testing_support {

namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::map<std::string, std::string> byName;
    std::vector<std::string> order;
    const auto put = [&](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('='));
        if (!byName.count(name)) order.push_back(name);
        byName[name] = entry;
    };
    for (char** entry = environ; *entry; ++entry) put(*entry);
    for (const std::string& entry : extra) put(entry);
    std::vector<std::string> merged;
    for (const std::string& name : order) merged.push_back(byName[name]);
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                           const std::vector<int>& inheritedFds) {
    std::vector<std::string> argv = arguments;
    std::vector<std::string> envp = mergedEnvironment(environment);
    auto argvPointers = pointers(argv);
    auto envpPointers = pointers(envp);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Descriptors the child is meant to have lose their close-on-exec flag.
    for (int fd : inheritedFds) posix_spawn_file_actions_adddup2(&actions, fd, fd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so that a terminal's signals stay with the test.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int error =
        posix_spawnp(&pid_, argv.at(0).c_str(), &actions, &attributes, argvPointers.data(), envpPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(error));
}

ChildProcess::~ChildProcess() { terminate(); }

bool ChildProcess::running() { return !wait(std::chrono::milliseconds(0)).has_value(); }

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    if (status_) return status_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            return status_;
        }
        if (done < 0 && errno != EINTR) return status_ = -1;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ChildProcess::terminate() {
    if (pid_ <= 0 || status_) return;
    kill(pid_, SIGTERM);
    if (!wait(std::chrono::seconds(3))) {
        kill(pid_, SIGKILL);
        wait(std::chrono::seconds(3));
    }
}

std::string desktopUnavailableReason() {
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "wmctrl"})
        if (shell(std::string("command -v ") + tool + " >/dev/null 2>&1") != 0)
            return std::string(tool) + " is not installed (tools/setup.sh installs it)";
    return {};
}

VirtualDesktop::VirtualDesktop() {
    // Servers that other tests start at the same moment can race for the
    // same free number and leave one of them without its socket: then the
    // window manager cannot connect, and a new server is started.
    for (int attempt = 1;; ++attempt) {
        try {
            start();
            return;
        } catch (const std::runtime_error&) {
            windowManager_.reset();
            server_.reset();
            if (attempt == 3) throw;
        }
    }
}

void VirtualDesktop::start() {
    // Xvfb picks a free display itself and writes its number to the pipe.
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    try {
        server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0",
                                                 "1024x768x24", "-nolisten", "tcp"},
                        std::vector<std::string>{}, std::vector<int>{ends[1]});
    } catch (...) {
        close(ends[0]);
        close(ends[1]);
        throw;
    }
    close(ends[1]);
    std::string number;
    pollfd ready{ends[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&ready, 1, 10000) > 0) {
        char buffer[16];
        const ssize_t n = read(ends[0], buffer, sizeof buffer);
        if (n <= 0) break;
        number.append(buffer, static_cast<std::size_t>(n));
    }
    close(ends[0]);
    if (number.empty() || number.find('\n') == std::string::npos) throw std::runtime_error("Xvfb did not start");
    display_ = ":" + number.substr(0, number.find('\n'));

    windowManager_.emplace(std::vector<std::string>{"openbox"}, std::vector<std::string>{"DISPLAY=" + display_});
    // openbox is ready once it has announced itself on the root window.
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (capture("DISPLAY=" + display_ + " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") !=
            std::string::npos)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("openbox did not start on " + display_);
}

VirtualDesktop::~VirtualDesktop() {
    windowManager_.reset();
    server_.reset();
}

std::string VirtualDesktop::run(const std::string& commandLine) const {
    // A window that never comes (say, to --sync) must not hold the test.
    return capture("DISPLAY=" + display_ + " timeout 15 " + commandLine);
}

std::string VirtualDesktop::xdotool(const std::string& arguments) const {
    return run("xdotool " + arguments + " 2>/dev/null");
}

std::vector<std::string> VirtualDesktop::windowsNamed(const std::string& titleRegex) const {
    std::istringstream ids(xdotool("search --onlyvisible --name '^" + titleRegex + "$'"));
    std::vector<std::string> windows;
    for (std::string id; ids >> id;) windows.push_back(id);
    return windows;
}

void VirtualDesktop::closeWindow(const std::string& window) const {
    // Through the window manager rather than a key press, so the close does
    // not depend on where the keyboard focus happens to be.
    run("wmctrl -i -c " + window + " 2>&1");
}

QRect VirtualDesktop::geometry(const std::string& window) const {
    std::istringstream lines(xdotool("getwindowgeometry --shell " + window));
    std::map<std::string, int> values;
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
    }
    if (!values.count("WIDTH")) return {};
    return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
}

QRect VirtualDesktop::frameGeometry(const std::string& window) const {
    // xwininfo, not xdotool, which counts a reparented window's offset in
    // its frame twice.
    std::istringstream lines(run("xwininfo -id " + window + " 2>/dev/null"));
    std::map<std::string, int> values;
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const auto first = line.find_first_not_of(' ');
        values[line.substr(first, colon - first)] = std::atoi(line.c_str() + colon + 1);
    }
    if (!values.count("Width") || !values.count("Absolute upper-left X")) return {};
    const QRect client(values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"],
                       values["Height"]);
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const std::string extents = run("xprop -id " + window + " _NET_FRAME_EXTENTS 2>/dev/null");
    int left = 0, right = 0, top = 0, bottom = 0;
    const auto equals = extents.find('=');
    if (client.isEmpty() || equals == std::string::npos ||
        std::sscanf(extents.c_str() + equals + 1, "%d, %d, %d, %d", &left, &right, &top, &bottom) != 4)
        return client;
    return client.adjusted(-left, -top, right, bottom);
}

QSize VirtualDesktop::screenSize() const {
    int width = 0, height = 0;
    if (std::sscanf(xdotool("getdisplaygeometry").c_str(), "%d %d", &width, &height) != 2) return {};
    return QSize(width, height);
}

QImage VirtualDesktop::picture(const QRect& area) const {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("lumenfold-screen-" + std::to_string(getpid()) + ".png");
    run("import -window root '" + file.string() + "' 2>/dev/null");
    QImage screen(QString::fromStdString(file.string()));
    std::filesystem::remove(file);
    return screen.isNull() ? screen : screen.copy(area).convertToFormat(QImage::Format_RGB32);
}

std::string VirtualDesktop::describe() const {
    return "active window: " + xdotool("getactivewindow") +
           "managed windows:\n" + run("wmctrl -l 2>&1");
}

HeadlessWeston::HeadlessWeston(const std::filesystem::path& runtimeFolder, int width, int height, int scale)
    : runtime_(runtimeFolder), socket_("lumenfold-" + std::to_string(getpid())) {
    // Wayland wants the runtime folder private to its user.
    std::filesystem::create_directories(runtime_);
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    // --debug opens the scene graph to weston-debug; --no-config keeps the
    // machine's weston.ini out.
    compositor_.emplace(std::vector<std::string>{"weston", "--backend=headless-backend.so", "--use-pixman",
                                                 "--no-config", "--debug", "--idle-time=0",
                                                 "--socket=" + socket_, "--width=" + std::to_string(width),
                                                 "--height=" + std::to_string(height),
                                                 "--scale=" + std::to_string(scale),
                                                 "--log=" + (runtime_ / "weston.log").string()},
                        std::vector<std::string>{"XDG_RUNTIME_DIR=" + runtime_.string()});
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (!compositor_->running()) break;
        if (std::filesystem::exists(runtime_ / socket_) &&
            capture("XDG_RUNTIME_DIR='" + runtime_.string() + "' WAYLAND_DISPLAY=" + socket_ +
                    " timeout 5 weston-debug scene-graph 2>/dev/null")
                    .find("Output 0") != std::string::npos)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("weston did not start: " + readText((runtime_ / "weston.log").string()));
}

HeadlessWeston::~HeadlessWeston() { compositor_.reset(); }

std::vector<std::string> HeadlessWeston::environment() const {
    return {"XDG_RUNTIME_DIR=" + runtime_.string(), "WAYLAND_DISPLAY=" + socket_};
}

std::vector<HeadlessWeston::Window> HeadlessWeston::windows() const {
    // weston-debug prints the scene graph once and stays; timeout ends it.
    const std::string graph = capture("XDG_RUNTIME_DIR='" + runtime_.string() + "' WAYLAND_DISPLAY=" + socket_ +
                                      " timeout 2 weston-debug scene-graph 2>/dev/null");
    static const std::regex view(
        R"(top-level window '(.*)' of ([^,]*),[^\n]*\n\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))");
    std::vector<Window> found;
    for (std::sregex_iterator it(graph.begin(), graph.end(), view), end; it != end; ++it) {
        const auto number = [&](int i) { return std::stoi((*it)[i].str()); };
        found.push_back({(*it)[1], (*it)[2], QRect(QPoint(number(3), number(4)), QPoint(number(5) - 1, number(6) - 1))});
    }
    return found;
}

std::string accessibilityUnavailableReason() {
    for (const char* tool : {"dbus-daemon", "gdbus"})
        if (shell(std::string("command -v ") + tool + " >/dev/null 2>&1") != 0)
            return std::string(tool) + " is not installed (tools/setup.sh installs it)";
    if (!std::filesystem::exists("/usr/libexec/at-spi-bus-launcher"))
        return "at-spi2-core is not installed (tools/setup.sh installs it)";
    return {};
}

AccessibilityBus::AccessibilityBus(const std::filesystem::path& folder)
    : folder_(folder), address_("unix:path=" + (folder / "bus").string()) {
    std::filesystem::create_directories(folder_);
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    // The bus launcher puts the accessibility bus under the runtime folder
    // of the session: this one's, not the machine's.
    // Bounded, so that it ends by itself even if the test does not live to
    // end it.
    daemon_.emplace(std::vector<std::string>{"timeout", "600", "dbus-daemon", "--session", "--nofork",
                                             "--address=" + address_},
                    std::vector<std::string>{"XDG_RUNTIME_DIR=" + folder_.string()});
    for (int attempt = 0; attempt < 100 && !std::filesystem::exists(folder_ / "bus"); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!std::filesystem::exists(folder_ / "bus")) throw std::runtime_error("the session bus did not start");
    // Up before any program starts, as in a desktop session where a screen
    // reader runs: the program joins it while it starts.
    if (accessibilityAddress().empty()) throw std::runtime_error("the accessibility bus did not start");
}

AccessibilityBus::~AccessibilityBus() {
    // The launcher, its bus and the registry leave with the session bus.
    daemon_.reset();
}

std::vector<std::string> AccessibilityBus::environment() const {
    return {"DBUS_SESSION_BUS_ADDRESS=" + address_, "XDG_RUNTIME_DIR=" + folder_.string(),
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"};
}

std::string AccessibilityBus::accessibilityAddress() const {
    if (accessibility_.empty()) {
        // "('unix:path=...,guid=...',)"
        const std::string reply = capture("timeout 10 gdbus call --address '" + address_ +
                                          "' --dest org.a11y.Bus --object-path /org/a11y/bus"
                                          " --method org.a11y.Bus.GetAddress 2>/dev/null");
        const auto first = reply.find('\'');
        const auto last = reply.rfind('\'');
        if (first != std::string::npos && last > first) accessibility_ = reply.substr(first + 1, last - first - 1);
    }
    return accessibility_;
}

std::optional<std::string> AccessibilityBus::connectionOf(pid_t pid) const {
    const std::string address = accessibilityAddress();
    if (address.empty()) return std::nullopt;
    const auto askBus = [&](const std::string& method, const std::string& argument) {
        return capture("timeout 10 gdbus call --address '" + address +
                       "' --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus --method org.freedesktop.DBus." +
                       method + " " + argument + " 2>/dev/null");
    };
    // "(['org.freedesktop.DBus', ':1.0', ...],)": the unique names, then
    // each one's process, "(uint32 1234,)".
    const std::string names = askBus("ListNames", "");
    for (std::size_t at = names.find("':"); at != std::string::npos; at = names.find("':", at + 1)) {
        const std::string name = names.substr(at + 1, names.find('\'', at + 1) - at - 1);
        if (askBus("GetConnectionUnixProcessID", name) == "(uint32 " + std::to_string(pid) + ",)\n") return name;
    }
    return std::nullopt;
}

std::optional<std::string> AccessibilityBus::askForWindows(const std::string& connection,
                                                           std::chrono::milliseconds timeout) const {
    const long seconds = std::max<long>(1, static_cast<long>((timeout.count() + 999) / 1000));
    const std::string reply =
        capture("timeout " + std::to_string(seconds + 2) + " gdbus call --timeout " + std::to_string(seconds) +
                " --address '" + accessibilityAddress() + "' --dest " + connection +
                " --object-path /org/a11y/atspi/accessible/root --method org.a11y.atspi.Accessible.GetChildren"
                " 2>/dev/null");
    if (reply.find("objectpath") == std::string::npos) return std::nullopt;
    return reply;
}

}  // namespace testing_support
