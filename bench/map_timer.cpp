// Times programs from exec to their first top-level window being mapped on
// the X display, over repeated runs, and prints each program's median and
// their ratio against the first (the baseline). In the first few runs it
// also reads each program's resident memory a while after the map, once
// start-up work that trails the window (a fetch, a timer) has settled.
//
//   map_timer RUNS BASELINE-COMMAND CANDIDATE-COMMAND...
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRssRuns = 5;
constexpr auto kRssDelay = std::chrono::seconds(3);

struct Sample {
    double mapMs = -1;
    double rssKiB = -1;  // negative when not read
};

// VmRSS of a running process, in KiB; negative when it cannot be read.
double residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = -1;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

struct XcbDeleter {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

// Milliseconds from spawning the command until a window that is a direct
// child of the root is mapped (negative when none is mapped in time), and,
// when asked, the resident memory kRssDelay after that.
Sample timeToMap(xcb_connection_t* x, const std::string& command, bool readRss) {
    while (auto* pending = xcb_poll_for_event(x)) free(pending);
    pid_t pid = 0;
    // exec: the shell becomes the program, so the pid we end is the
    // program's own and no instance lives on to load the next runs.
    const std::string line = "exec " + command;
    const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
    const auto start = Clock::now();
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return {};
    double elapsed = -1;
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (Clock::now() - start < std::chrono::seconds(30)) {
        poll(&fd, 1, 100);
        while (auto* event = xcb_poll_for_event(x)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                                !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
            free(event);
            if (mapped && elapsed < 0)
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        if (elapsed >= 0) break;
    }
    Sample sample{elapsed, -1};
    if (readRss && elapsed >= 0) {
        std::this_thread::sleep_for(kRssDelay);
        sample.rssKiB = residentKiB(pid);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return sample;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS BASELINE-COMMAND CANDIDATE-COMMAND...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::unique_ptr<xcb_connection_t, XcbDeleter> x(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(x.get())) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.get())).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x.get(), screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x.get());

    std::vector<std::string> commands(argv + 2, argv + argc);
    std::vector<std::vector<double>> times(commands.size());
    std::vector<std::vector<double>> rss(commands.size());
    // Interleaved, so that a slow moment of the machine hits every program.
    timeToMap(x.get(), commands[0], false);  // warms the page cache
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const Sample s = timeToMap(x.get(), commands[i], run < kRssRuns);
            if (s.mapMs < 0) {
                std::fprintf(stderr, "no window mapped for: %s\n", commands[i].c_str());
                return 1;
            }
            times[i].push_back(s.mapMs);
            if (s.rssKiB >= 0) rss[i].push_back(s.rssKiB);
        }
    }
    const double base = median(times[0]);
    const double baseRss = median(rss[0]);
    for (std::size_t i = 0; i < commands.size(); ++i)
        std::printf("%-40s median %7.1f ms  ratio %.2f   resident %7.0f KiB  ratio %.2f\n",
                    commands[i].substr(0, 40).c_str(), median(times[i]), median(times[i]) / base, median(rss[i]),
                    baseRss > 0 ? median(rss[i]) / baseRss : 0.0);
    return 0;
}
