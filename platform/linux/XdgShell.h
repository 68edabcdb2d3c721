#pragma once

#include <string>
#include <vector>

#include "toolkit/Shell.h"

namespace platform::gnulinux {

// Starts command lines on a Linux desktop. There is no "explorer.exe" here:
// a command line made of "explorer.exe " and a double-quoted target opens
// that target with the desktop's default handler (`xdg-open`). Any other
// command line is split into its program and arguments, double quotes
// grouping, and started as it is. Never through a shell, never waited for.
// The window style is the started program's own business on this desktop.
class XdgShell : public toolkit::ShellService {
public:
    void Shell(const std::string& commandLine, int windowStyle) override;

    // The program and arguments a command line stands for, as Shell starts
    // them. Raises an Error for a command line that names no program or
    // that hands the browser something other than one target.
    static std::vector<std::string> argumentsFor(const std::string& commandLine);
};

}  // namespace platform::gnulinux
