#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace app {

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption report(QStringLiteral("report"));
    const QCommandLineOption json(QStringList{QStringLiteral("j"), QStringLiteral("json")});
    const QCommandLineOption watch(QStringList{QStringLiteral("w"), QStringLiteral("watch")});
    const QCommandLineOption quiet(QStringList{QStringLiteral("q"), QStringLiteral("quiet")});
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    parser.addOptions({report, json, watch, quiet, help, version});

    CommandLine line;
    const auto usage = [&line](const QString& problem) {
        line.action = CommandLine::Action::Usage;
        line.problem = problem;
        return line;
    };
    // The parser expects the program's name first.
    if (!parser.parse(QStringList{QStringLiteral("lumenfold")} + arguments)) {
        // Named as it was typed: the parser's own text drops the dashes.
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty()) return usage(parser.errorText().toLower());
        const QString dashes = unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
        return usage(QStringLiteral("unknown option '%1%2'.").arg(dashes, unknown.first()));
    }
    if (!parser.positionalArguments().isEmpty())
        return usage(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        return line;
    }
    line.json = parser.isSet(json);
    line.watch = parser.isSet(watch);
    line.quiet = parser.isSet(quiet);
    if (line.quiet && line.watch) return usage(QStringLiteral("--quiet cannot be used with --watch."));
    return line;
}

QString helpText() {
    return QStringLiteral(
        "Usage: lumenfold [--report] [-q] [--json]\n"
        "       lumenfold --watch [--json]\n"
        "       lumenfold\n"
        "Tells how this machine is connected: its connection state, its public\n"
        "(WAN) address, its LAN address and the loopback address. Without an option\n"
        "it opens its window; with one it answers on standard output, and needs no\n"
        "display.\n"
        "\n"
        "      --report    print the report once and end (the default for any option)\n"
        "  -j, --json      print the report as one JSON object, with the adapter list\n"
        "                  and the fields of a waybar custom module\n"
        "  -w, --watch     stay running and print the report again whenever it\n"
        "                  changes (one JSON object a line with --json)\n"
        "  -q, --quiet     print nothing; only the exit status answers\n"
        "  -h, --help      print this help and end\n"
        "  -V, --version   print the version and end\n"
        "\n"
        "Exit status: 0 online (\"LAN And WAN - Online\", \"WAN Only - Online\"),\n"
        "1 offline (\"LAN Only - Offline\", \"Offline\"), 2 a wrong command line,\n"
        "3 a failure (the report could not be made). --watch ends with 0 on\n"
        "SIGINT or SIGTERM.\n");
}

QString versionText() { return QStringLiteral("Lumenfold " LUMENFOLD_VERSION "\n"); }

}  // namespace app
