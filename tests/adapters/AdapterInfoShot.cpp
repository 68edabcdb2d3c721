// Shows the main window and, over it, the Adapter Info window listing this
// machine's adapters, for a screenshot (tools/adapter-info-screenshot.sh).
// The public address comes from a fake; the adapters are the real ones.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "adapters/Form2.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "platform/linux/LinuxAdapterInfo.h"
#include "tests/support/Fakes.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    app::prepareApplication();
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;

    testing_support::RecordingPresenter presenter;
    toolkit::Application app(presenter);
    testing_support::FakePlatform fakes;
    fakes.transfer->answer = [](const std::string&) { return std::string("Current IP Address: 203.0.113.7"); };
    app::Form1 form1(app, fakes.platform);
    app.start(form1);
    form1.setLeft(1500);
    form1.setTop(1500);

    adapters::LinuxAdapterInfo adapterInfo;
    adapters::Form2 form2(app, form1, adapterInfo, form1.window()->windowIcon());
    app.dispatch([&] { form2.Show(); });

    // exit, not quit: quit asks every window to close, and forms decide that themselves.
    QTimer::singleShot(seconds * 1000, &qt, [] { QCoreApplication::exit(0); });
    const int status = qt.exec();
    for (const toolkit::Error& error : presenter.shown)
        std::fprintf(stderr, "error %d: %s\n", error.number(), error.description().c_str());
    return status;
}
