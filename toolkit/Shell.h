#pragma once

#include <string>

namespace toolkit {

// Window styles a started program may be asked to open with.
namespace window_style {
inline constexpr int Hide = 0;
inline constexpr int NormalFocus = 1;
inline constexpr int MinimizedFocus = 2;
}  // namespace window_style

// Starts a command line as a new process without waiting for it. Raises an
// Error when the program cannot be started.
class ShellService {
public:
    virtual ~ShellService() = default;
    virtual void Shell(const std::string& commandLine, int windowStyle) = 0;
};

}  // namespace toolkit
