// Shows the main window and, over it, the Adapter Info window, for the
// picture taken by tools/adapter-info-screenshot.sh. The services are the
// real ones: the script runs this inside a network namespace of its own,
// with an address service on loopback and a made-up LAN.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "adapters/Form2.h"
#include "app/Form1.h"
#include "app/Launch.h"
#include "toolkit/Application.h"

namespace {

// Errors go to the terminal, not into the picture.
class PrintingPresenter : public toolkit::ErrorPresenter {
public:
    void present(const toolkit::Error& error) override {
        std::fprintf(stderr, "error %d: %s\n", error.number(), error.description().c_str());
        failed = true;
    }
    bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    PrintingPresenter presenter;
    return app::launch(argc, argv, {.presenter = &presenter}, [&](app::Launched& launched) {
        toolkit::Application& app = launched.application;
        app::Form1& form1 = launched.form1;
        app.start(form1);
        form1.setLeft(1500);
        form1.setTop(1500);

        adapters::Form2 form2(app, form1, *launched.platform.adapterInfo, form1.window()->windowIcon());
        app.dispatch([&] { form2.Show(); });

        // exit, not quit: quit asks every window to close, and forms decide that themselves.
        QTimer::singleShot(seconds * 1000, &launched.qt, [] { QCoreApplication::exit(0); });
        const int status = QApplication::exec();
        return presenter.failed ? 1 : status;
    });
}
