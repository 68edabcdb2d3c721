// How long the UI thread goes without serving its events: the worst lateness
// of a 10 ms timer beside an idle window, then beside the main window while
// its probe waits on a site that accepts and never answers (the probe gives
// up after its 20 s). Run inside a namespace whose hosts file points the probe
// site at 127.0.0.2 (bench/responsiveness.sh does that).
//
//     responsiveness
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/Form1.h"
#include "app/Launch.h"
#include "toolkit/Application.h"
#include "toolkit/CheckBox.h"

namespace {

class SilentPresenter : public toolkit::ErrorPresenter {
public:
    void present(const toolkit::Error&) override {}
};

// The worst lateness, in ms, of a 10 ms timer while `running` holds.
double worstLateness(const std::function<bool()>& running) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 worst = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last - 10'000'000);
        last = now;
    });
    beat.start(10);
    while (running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The stretch up to the end counts too, though no tick closed it.
    worst = std::max(worst, clock.nsecsElapsed() - last - 10'000'000);
    return static_cast<double>(worst) / 1e6;
}

// One run of the main window's gathering and stalled probe.
double duringStalledProbe(app::Launched& launched) {
    toolkit::Application& application = launched.application;
    app::Form1& form1 = launched.form1;
    QElapsedTimer clock;
    clock.start();
    // The timer starts first, so that the start-up and the whole tick are in.
    bool started = false;
    const double worst = worstLateness([&] {
        if (!started) {
            started = true;
            QTimer::singleShot(0, [&] { application.start(form1); });
            return true;
        }
        // The tick that probes shows Reload once the probe has ended.
        return clock.elapsed() < 60'000 && !(form1.isLoaded() && form1.chkReload->Visible());
    });
    std::printf("  (the probe ended after %.1f s)\n", static_cast<double>(clock.elapsed()) / 1000);
    form1.Unload();
    return worst;
}

// The probe site: accepts every connection into its backlog, answers none.
int stalledSite() {
    const int site = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(80);
    inet_pton(AF_INET, "127.0.0.2", &address.sin_addr);
    if (site < 0 || bind(site, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(site, 16) != 0) {
        if (site >= 0) close(site);
        return -1;
    }
    return site;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int site = stalledSite();
    if (site < 0) {
        std::fprintf(stderr, "cannot listen on 127.0.0.2:80 (run through bench/responsiveness.sh)\n");
        return 1;
    }
    SilentPresenter presenter;
    const int status = app::launch(argc, argv, {.presenter = &presenter}, [](app::Launched& launched) {
        QWidget idle;
        idle.resize(370, 200);
        idle.show();
        QElapsedTimer clock;
        clock.start();
        const double baseline = worstLateness([&] { return clock.elapsed() < 5000; });
        idle.hide();

        const double probing = duringStalledProbe(launched);

        std::printf("worst lateness of a 10 ms timer on the UI thread\n");
        std::printf("  idle window (baseline)          %9.1f ms\n", baseline);
        std::printf("  stalled probe                   %9.1f ms  (%.1fx baseline)\n", probing,
                    probing / std::max(baseline, 0.1));
        return 0;
    });
    close(site);
    return status;
}
