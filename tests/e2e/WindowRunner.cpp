// Runs the real main window with the real services until its refresh cycle
// has finished, then prints what the window shows, one "name=value" line
// each, and optionally saves a picture of it. End-to-end tests start it
// inside a network namespace with `ip netns exec`, so that the namespace's
// own /etc/hosts applies to the product's fixed host names.
//
//     lumenfold_e2e_window [--grab FILE.png]
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QThread>
#include <cstdio>
#include <iostream>

#include "app/Form1.h"
#include "app/LinuxPlatform.h"
#include "app/Startup.h"

namespace {

class PrintingPresenter : public toolkit::ErrorPresenter {
public:
    void present(const toolkit::Error& error) override {
        std::cout << "error=" << error.number() << " " << error.description() << "\n";
    }
};

std::string oneLine(QString text) {
    return text.replace(QStringLiteral("\r"), QStringLiteral("\\r"))
        .replace(QStringLiteral("\n"), QStringLiteral("\\n"))
        .toStdString();
}

void printLamp(const char* name, const toolkit::CheckBox& lamp) {
    std::cout << name << "=" << lamp.Value() << "|" << oneLine(lamp.Caption()) << "|" << lamp.Top() << "|"
              << (lamp.Visible() ? "shown" : "hidden") << "\n";
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    app::prepareApplication();
    std::string grabTo;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--grab") grabTo = argv[i + 1];

    PrintingPresenter presenter;
    toolkit::Application application(presenter);
    app::Platform platform = app::makeLinuxPlatform(application.waiter());
    app::Form1 form1(application, platform);
    application.start(form1);

    // The cycle is over once the timer is stopped: the 20th tick stops it
    // and runs to its end before control comes back here.
    QElapsedTimer clock;
    clock.start();
    while (!application.hasEnded() && form1.isLoaded() && form1.Timer1->Enabled()) {
        if (clock.elapsed() > 90'000) {
            std::cout << "timeout=1\n";
            return 2;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    if (application.hasEnded() || !form1.isLoaded()) return 3;

    std::cout << "txtStatus=" << oneLine(form1.txtStatus->Text()) << "\n"
              << "txtStatusVisible=" << form1.txtStatus->Visible() << "\n"
              << "txtStatus2=" << oneLine(form1.txtStatus2->Text()) << "\n"
              << "LAN=" << oneLine(form1.LAN->Text()) << "\n"
              << "WAN=" << oneLine(form1.WAN->Text()) << "\n"
              << "txtLocal=" << oneLine(form1.txtLocal->Text()) << "\n"
              << "gathering=" << (form1.ProgressBar1->Visible() || form1.lblWorking->Visible()) << "\n";
    printLamp("chkgreen", *form1.chkgreen);
    printLamp("chkyellow", *form1.chkyellow);
    printLamp("chkred", *form1.chkred);
    std::cout.flush();

    if (!grabTo.empty()) {
        // Let the window paint what the tick left, then take its picture.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 500) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!form1.window()->grab().save(QString::fromStdString(grabTo))) return 4;
    }
    form1.Unload();
    return 0;
}
