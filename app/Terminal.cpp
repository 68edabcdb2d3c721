#include "app/Terminal.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

#include "app/CommandLine.h"
#include "app/LinuxPlatform.h"
#include "app/Report.h"
#include "app/Startup.h"
#include "app/Watch.h"
#include "platform/linux/RtnetlinkChanges.h"
#include "platform/linux/TerminationSignals.h"
#include "toolkit/Error.h"
#include "toolkit/Waiter.h"

namespace app {

namespace {

void write(std::FILE* stream, const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stream);
    std::fflush(stream);
}

void complain(const QString& problem) { write(stderr, "lumenfold: " + problem.toUtf8() + '\n'); }

int report(const CommandLine& line) {
    toolkit::Waiter waiter;
    Platform platform = makeLinuxPlatform(waiter);
    Report answer;
    try {
        answer = gatherReport(platform, line.json);
    } catch (const toolkit::Error& e) {
        complain(QString::fromStdString(e.description()));
        return exit_status::Failure;
    }
    if (!line.quiet) write(stdout, line.json ? jsonReport(answer, false) : plainReport(answer));
    return isOnline(answer.state) ? exit_status::Online : exit_status::Offline;
}

int watch(const CommandLine& line) {
    // Before the first lookup starts a thread, so that every thread leaves
    // the two signals to the descriptor.
    std::optional<platform::gnulinux::TerminationSignals> termination;
    std::optional<platform::gnulinux::RtnetlinkChanges> changes;
    try {
        termination.emplace();
        changes.emplace();
    } catch (const std::exception& e) {
        complain(QStringLiteral("cannot watch the network: %1").arg(QString::fromLocal8Bit(e.what())));
        return exit_status::Failure;
    }
    toolkit::Waiter waiter;
    Platform platform = makeLinuxPlatform(waiter);
    Watch::Options options;
    options.json = line.json;
    Watch watcher(
        platform, waiter, *changes, options, [](const QByteArray& text) { write(stdout, text); }, complain);
    // Ends at once, a round under way too: QCoreApplication::exit leaves
    // every event loop, the waits' own included.
    QObject::connect(&*termination, &platform::gnulinux::TerminationSignals::received, &watcher, [&watcher] {
        watcher.stop();
        QCoreApplication::exit(exit_status::Success);
    });
    watcher.start();
    QCoreApplication::exec();
    return exit_status::Success;
}

}  // namespace

int runTerminal(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments += QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    switch (line.action) {
    case CommandLine::Action::Help:
        write(stdout, helpText().toUtf8());
        return exit_status::Success;
    case CommandLine::Action::Version:
        write(stdout, versionText().toUtf8());
        return exit_status::Success;
    case CommandLine::Action::Usage:
        complain(line.problem + QStringLiteral(" Try 'lumenfold --help'."));
        return exit_status::Usage;
    case CommandLine::Action::Report:
        break;
    }
    // As the window does, before the first thread starts.
    fitProcessToAddressSpace();
    // Only the core: no display is asked for and no widget can be made.
    QCoreApplication qt(argc, argv);
    return line.watch ? watch(line) : report(line);
}

}  // namespace app
