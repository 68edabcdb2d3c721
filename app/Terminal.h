#pragma once

namespace app {

// Whether the command line asks for the terminal front end (a report, a
// watch, help...) rather than the window, which takes no argument.
inline bool asksForTerminal(int argc) { return argc > 1; }

// Runs the terminal front end on the command line and answers its exit
// status. Makes no widget and needs no display.
int runTerminal(int argc, char* argv[]);

}  // namespace app
