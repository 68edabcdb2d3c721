// Runs the real main window with the real services until its refresh cycle
// has finished, then prints what the window shows, one "name=value" line
// each, and optionally saves a picture of it. End-to-end tests start it
// inside a network namespace with `ip netns exec`, so that the namespace's
// own /etc/hosts applies to the product's fixed host names.
//
//     lumenfold_e2e_window [--grab FILE.png] [--steps FOLDER]
//
// With --steps it then stays and follows commands, one at a time: the test
// writes "N COMMAND" to FOLDER/command, the runner answers "N REPLY" in
// FOLDER/done once the command's effects have settled. COMMAND is one of
// adapter-info (the user presses Adapter Info), cover (the main window is
// shown afresh, over Adapter Info), maximize (the request the title bar's
// maximise button makes) and quit; the reply is the main window's size,
// WIDTHxHEIGHT, and " maximized" when it is.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QPixmap>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/Form1.h"
#include "app/Launch.h"
#include "toolkit/Application.h"
#include "toolkit/Controls.h"

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

void settle(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

int followSteps(const std::filesystem::path& folder, toolkit::Application& application, app::Form1& form1) {
    // The test renames each command into place: the folder changes.
    QFileSystemWatcher watcher({QString::fromStdString(folder.string())});
    bool changed = true;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, [&] { changed = true; });
    for (int done = 0; !application.hasEnded() && form1.isLoaded();) {
        if (!changed) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            continue;
        }
        changed = false;
        std::ifstream file(folder / "command");
        int number = 0;
        std::string command;
        if (!(file >> number >> command) || number <= done) continue;
        QWidget* window = form1.window();
        if (command == "quit") return 0;
        if (command == "adapter-info") form1.chkAdp->setValue(1);
        if (command == "cover") window->hide();
        if (command == "maximize") window->windowHandle()->setWindowStates(Qt::WindowMaximized);
        window->show();
        // What the window manager or compositor makes of the request shows
        // in no event the window gets every time (a refused maximise sends
        // none), so its effects are given time to arrive.
        settle(700);
        // The window paints again, as after a hover or a blinking caret: a
        // Wayland compositor checks each new frame against what it asked.
        window->update();
        settle(200);
        done = number;
        std::ofstream(folder / "done.part") << number << " " << window->width() << "x" << window->height()
                                            << (window->isMaximized() ? " maximized" : "") << "\n";
        std::filesystem::rename(folder / "done.part", folder / "done");
    }
    return 5;
}

int printWindow(app::Launched& launched, const std::string& grabTo, const std::string& steps) {
    toolkit::Application& application = launched.application;
    app::Form1& form1 = launched.form1;
    application.start(form1);

    // The cycle is over once the timer is stopped: the 20th tick stops it
    // and runs to its end before control comes back here. Each tick is an
    // event, so the loop wakes for every one.
    bool late = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] { late = true; });
    deadline.start(90'000);
    while (!application.hasEnded() && form1.isLoaded() && form1.Timer1->Enabled()) {
        if (late) {
            std::cout << "timeout=1\n";
            return 2;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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
        // The picture is drawn from the widgets themselves: what the tick
        // left is in once the events it posted (layouts, deletions) are.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!form1.window()->grab().save(QString::fromStdString(grabTo))) return 4;
    }
    if (!steps.empty()) return followSteps(steps, application, form1);
    form1.Unload();
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::string grabTo, steps;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--grab") grabTo = argv[i + 1];
        if (std::string(argv[i]) == "--steps") steps = argv[i + 1];
    }
    PrintingPresenter presenter;
    return app::launch(argc, argv, {.presenter = &presenter},
                       [&](app::Launched& launched) { return printWindow(launched, grabTo, steps); });
}
