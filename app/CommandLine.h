#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks of Lumenfold beyond its window.
struct CommandLine {
    enum class Action { Report, Help, Version, Usage };
    Action action = Action::Report;
    bool json = false;   // --json
    bool watch = false;  // --watch
    bool quiet = false;  // -q, --quiet
    // For Usage: what is wrong, as one line.
    QString problem;
};

// Reads the arguments after the program's name. Options may come in any
// order and repeat, short ones may be bundled (-qw is -q -w) and "--" ends
// them. --help and --version win over the report options; an operand, an
// unknown option or --quiet with --watch gives Usage.
CommandLine parseCommandLine(const QStringList& arguments);

// The texts of --help and --version.
QString helpText();
QString versionText();

// The exit statuses of the command-line front end.
namespace exit_status {
inline constexpr int Success = 0;  // help, version, a watch that was told to end
inline constexpr int Online = 0;
inline constexpr int Offline = 1;
inline constexpr int Usage = 2;
inline constexpr int Failure = 3;
}  // namespace exit_status

}  // namespace app
