#include <cstdio>
#include <new>

#include "app/Launch.h"
#include "app/Terminal.h"

int main(int argc, char* argv[]) {
    // Under a tight memory limit an allocation at start-up can fail where
    // no handler absorbs it: one line and status 1, not an abort.
    try {
        // A report, a watch, help: answered in the terminal, with no display.
        if (app::asksForTerminal(argc)) return app::runTerminal(argc, argv);
        return app::launch(argc, argv, {}, app::runUntilEnd);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Lumenfold: not enough memory to start\n");
        return 1;
    }
}
