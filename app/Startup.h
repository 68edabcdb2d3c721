#pragma once

#include <functional>
#include <optional>
#include <string>

namespace app {

struct FontAliases;

// What the process sets before its first thread starts: under a tight
// address-space limit (ulimit -v), threads share one malloc arena, since
// each arena of its own reserves 64 MiB that such a limit cannot spare and
// an allocation on a thread would then fail (fontconfig crashes, a waiter's
// worker cannot post its result), and threads that do not choose their own
// stack size (Qt's) reserve 2 MiB instead of the 8 MiB default.
void fitProcessToAddressSpace();

// What the application sets once its QApplication exists and before any
// window is made: its names, the fonts standing in for missing ones, and
// that the runtime, not Qt, decides when the application ends.
// `fonts` comes from resolveFontAliases().
void prepareApplication(const FontAliases& fonts);

// The variables that decide where the windows go.
struct DisplayEnvironment {
    std::string qtPlatform;      // QT_QPA_PLATFORM
    std::string x11Display;      // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    static DisplayEnvironment fromProcess();
    // The Wayland display a client connects to: WAYLAND_DISPLAY, or
    // "wayland-0" when it is not set, as every Wayland client falls back.
    std::string waylandSocket() const;
};

// Whether a display answers, by name.
struct DisplayProbes {
    std::function<bool(const std::string&)> x11;
    std::function<bool(const std::string&)> wayland;
    // The largest output scale of a Wayland display (1 at normal size, a
    // fractional scale rounded up); none given, or 0, counts as 1.
    std::function<int(const std::string&)> waylandScale;
};

struct DisplayChoice {
    // The Qt platform plug-in to start with; empty to leave the choice to
    // QT_QPA_PLATFORM.
    std::string platform;
    // Set when no display answers: what is missing, as one line of text.
    std::string problem;
};

// QT_QPA_PLATFORM, when set, decides. Otherwise, on a Wayland session
// whose outputs are scaled above 1, natively: there every compositor
// measured enlarges an XWayland window drawn at scale 1, and the read-outs
// go blocky. Elsewhere an X display that answers is taken first, on a
// Wayland session too (XWayland): there the window keeps its placement,
// its fixed frame and the window manager's decorations; a Wayland display
// is taken natively only when no X display answers.
DisplayChoice chooseDisplay(const DisplayEnvironment& environment, const DisplayProbes& answers);
// Whether a Wayland display that answers is scaled so that XWayland would
// draw the window enlarged, and so soft.
bool waylandIsScaled(const std::string& waylandDisplay, const DisplayProbes& answers);

}  // namespace app
