// How long the Adapter Info report takes to be ready, against how long
// `ip -o addr show` takes to list the same interfaces, in the same run.
// Run it inside the namespace to measure (bench/adapters_bench.sh does).
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapters/Form2.h"
#include "platform/linux/LinuxAdapterInfo.h"
#include "tests/support/StandInMainWindow.h"
#include "toolkit/TextBox.h"

extern char** environ;

namespace {

using testing_support::StandInMainWindow;

class NullPresenter : public toolkit::ErrorPresenter {
public:
    void present(const toolkit::Error& error) override {
        std::fprintf(stderr, "error %d: %s\n", error.number(), error.description().c_str());
    }
};

double runIpOnce() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char ip[] = "ip";
    char o[] = "-o";
    char addr[] = "addr";
    char show[] = "show";
    char* argv[] = {ip, o, addr, show, nullptr};
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ip", &actions, nullptr, argv, environ) != 0) {
        std::perror("ip");
        std::exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "ip failed\n");
        std::exit(1);
    }
    return ms;
}

struct Report {
    double ms;
    int adapters;
    qsizetype characters;
};

// Load (enumerate, print, place) and let the box hand the text to its
// editor, which is when a reader could see it.
Report reportOnce(adapters::Form2& form) {
    QElapsedTimer clock;
    clock.start();
    form.Load();
    QCoreApplication::processEvents();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    auto* editor = qobject_cast<QPlainTextEdit*>(form.txtOut->editor());
    const Report report{ms, form.AdapterCount, editor ? editor->document()->characterCount() : 0};
    form.Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return report;
}

double enumerationOnce(adapters::AdapterInfoApi& service) {
    std::vector<adapters::AdapterRecord> records;
    QElapsedTimer clock;
    clock.start();
    adapters::GetAdaptsInfo::ListAdapters(service, records);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    NullPresenter presenter;
    toolkit::Application app(presenter);
    StandInMainWindow main(app);
    platform::gnulinux::LinuxAdapterInfo service;
    adapters::Form2 form(app, main, service);

    for (int i = 0; i < 3; ++i) {  // warm up both sides
        runIpOnce();
        reportOnce(form);
    }
    std::vector<double> ipTimes;
    std::vector<double> reportTimes;
    std::vector<double> enumerationTimes;
    Report last{};
    for (int i = 0; i < runs; ++i) {  // interleaved, so both see the same machine
        ipTimes.push_back(runIpOnce());
        last = reportOnce(form);
        reportTimes.push_back(last.ms);
        enumerationTimes.push_back(enumerationOnce(service));
    }
    const double ip = median(ipTimes);
    const double report = median(reportTimes);
    std::printf("adapters listed:            %d (%lld characters of report)\n", last.adapters,
                static_cast<long long>(last.characters));
    std::printf("ip -o addr show:            median %8.2f ms  (min %.2f, max %.2f, %d runs)\n", ip,
                *std::min_element(ipTimes.begin(), ipTimes.end()), *std::max_element(ipTimes.begin(), ipTimes.end()),
                runs);
    std::printf("Adapter Info load + report: median %8.2f ms  (min %.2f, max %.2f, %d runs)\n", report,
                *std::min_element(reportTimes.begin(), reportTimes.end()),
                *std::max_element(reportTimes.begin(), reportTimes.end()), runs);
    std::printf("  of which enumeration:     median %8.2f ms\n", median(enumerationTimes));
    std::printf("ratio report / ip:          %.2f  (aim: at most 3)\n", report / ip);
    return 0;
}
