#pragma once

// Whether the displays named in the environment answer, asked the way the
// Qt platform plug-ins connect to them, before Qt is started: Qt ends a
// program whose display does not answer with an abort.
#include <string>

namespace platform::gnulinux {

// True when an X server takes a connection on `display` (":0", "host:1").
bool x11DisplayAnswers(const std::string& display);
// True when a Wayland compositor takes a connection on `display`, a socket
// name under XDG_RUNTIME_DIR or an absolute path.
bool waylandDisplayAnswers(const std::string& display);
// The largest scale among the compositor's outputs (wl_output's scale,
// which a fractional scale such as 1.5 rounds up to 2); 0 when the
// compositor does not answer or has no output.
int waylandOutputScale(const std::string& display);

}  // namespace platform::gnulinux
