#include "platform/linux/XdgShell.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string_view>

#include "toolkit/Error.h"

namespace platform::gnulinux {

namespace {

using toolkit::Error;
namespace errors = toolkit::errors;
using toolkit::kProgramSource;

constexpr std::string_view kExplorerHead = "explorer.exe ";

Error invalidCall() {
    return Error(errors::InvalidProcedureCall, kProgramSource, "Invalid procedure call or argument");
}

// Splits at runs of blanks; a double quote starts or ends a group in which
// blanks are kept, and is itself dropped.
std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) throw invalidCall();
    if (inWord) words.push_back(word);
    return words;
}

}  // namespace

std::vector<std::string> XdgShell::argumentsFor(const std::string& commandLine) {
    if (commandLine.starts_with(kExplorerHead)) {
        const std::string rest = commandLine.substr(kExplorerHead.size());
        // Exactly one double-quoted target, nothing around it.
        if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') throw invalidCall();
        const std::string target = rest.substr(1, rest.size() - 2);
        // A target xdg-open would read as one of its options is refused.
        if (target.empty() || target.find('"') != std::string::npos || target.front() == '-') throw invalidCall();
        return {"xdg-open", target};
    }
    std::vector<std::string> words = splitCommandLine(commandLine);
    if (words.empty() || words.front().empty()) throw invalidCall();
    return words;
}

void XdgShell::Shell(const std::string& commandLine, int /*windowStyle*/) {
    const std::vector<std::string> words = argumentsFor(commandLine);
    QStringList arguments;
    for (auto word = words.begin() + 1; word != words.end(); ++word) arguments << QString::fromStdString(*word);
    // Detached: the child is not ours to wait for, and leaves no zombie.
    if (!QProcess::startDetached(QString::fromStdString(words.front()), arguments))
        throw Error(errors::FileNotFound, kProgramSource, "File not found: " + words.front());
}

}  // namespace platform::gnulinux
