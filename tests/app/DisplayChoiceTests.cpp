// Which windowing system the program starts on, and what it does when no
// display answers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/Startup.h"
#include "tests/support/Netns.h"

namespace {

// Probes that answer for the displays named, and count nothing else.
app::DisplayProbes answering(std::set<std::string> x11, std::set<std::string> wayland, int waylandScale = 1) {
    return {[x11](const std::string& d) { return x11.count(d) > 0; },
            [wayland](const std::string& d) { return wayland.count(d) > 0; },
            [wayland, waylandScale](const std::string& d) { return wayland.count(d) > 0 ? waylandScale : 0; }};
}

TEST(DisplayChoice, AnXDisplayIsPreferredAndWaylandTakenWhenNoXDisplayAnswers) {
    // A Wayland session with XWayland: the X display.
    EXPECT_EQ(app::chooseDisplay({"", ":0", "wayland-0"}, answering({":0"}, {"wayland-0"})).platform, "xcb");
    // XWayland gone or not started: natively.
    EXPECT_EQ(app::chooseDisplay({"", ":0", "wayland-0"}, answering({}, {"wayland-0"})).platform, "wayland");
    EXPECT_EQ(app::chooseDisplay({"", "", "wayland-1"}, answering({}, {"wayland-1"})).platform, "wayland");
}

TEST(DisplayChoice, AScaledWaylandSessionIsTakenNativelyAndTheVariableStillDecides) {
    // XWayland would draw the window at scale 1 and the compositor enlarge it.
    EXPECT_EQ(app::chooseDisplay({"", ":0", "wayland-0"}, answering({":0"}, {"wayland-0"}, 2)).platform, "wayland");
    // Not when the Wayland display does not answer, and not at scale 1.
    EXPECT_EQ(app::chooseDisplay({"", ":0", "wayland-0"}, answering({":0"}, {}, 2)).platform, "xcb");
    EXPECT_EQ(app::chooseDisplay({"", ":0", "wayland-0"}, answering({":0"}, {"wayland-0"}, 1)).platform, "xcb");
    EXPECT_EQ(app::chooseDisplay({"", ":0", ""}, answering({":0"}, {"wayland-0"}, 2)).platform, "xcb");
    // QT_QPA_PLATFORM=xcb keeps XWayland, scaled or not.
    EXPECT_EQ(app::chooseDisplay({"xcb", ":0", "wayland-0"}, answering({":0"}, {"wayland-0"}, 2)).platform, "");
    EXPECT_EQ(app::chooseDisplay({"xcb", ":0", "wayland-0"}, answering({":0"}, {"wayland-0"}, 2)).problem, "");
}

TEST(DisplayChoice, QtPlatformVariableDecidesAndOnlyItsDisplaysCount) {
    // Left to Qt, which reads the variable itself.
    EXPECT_EQ(app::chooseDisplay({"wayland", ":0", "wayland-0"}, answering({":0"}, {"wayland-0"})).platform, "");
    EXPECT_EQ(app::chooseDisplay({"offscreen", "", ""}, answering({}, {})).problem, "");
    // A list is tried in turn, options after a colon ignored.
    EXPECT_EQ(app::chooseDisplay({"wayland:x;xcb", ":0", "w"}, answering({":0"}, {})).problem, "");
    // Qt's Wayland plug-in falls back to wayland-0 as every client does.
    EXPECT_EQ(app::chooseDisplay({"wayland", "", ""}, answering({}, {"wayland-0"})).problem, "");
    // An X display that answers does not help a program told to use Wayland.
    EXPECT_EQ(app::chooseDisplay({"wayland", ":0", "wayland-1"}, answering({":0"}, {})).problem,
              "QT_QPA_PLATFORM is wayland, but the Wayland display wayland-1 does not answer");
}

TEST(DisplayChoice, WithoutADisplayTheProgramSaysWhatIsMissingInOneLineAndEndsWithStatusOne) {
    EXPECT_EQ(app::chooseDisplay({"", ":3", ""}, answering({}, {})).problem,
              "the X display :3 does not answer, and WAYLAND_DISPLAY is not set");

    // The real program: no environment at all, then displays nobody serves.
    const std::string program = "'" LUMENFOLD_EXECUTABLE "'";
    EXPECT_EQ(testing_support::capture("env -i " + program + " 2>&1; echo status=$?"),
              "Lumenfold: cannot open a window: neither DISPLAY nor WAYLAND_DISPLAY is set\nstatus=1\n");
    const std::string runtime = ::testing::TempDir();
    EXPECT_EQ(testing_support::capture("env -i DISPLAY=:4093 WAYLAND_DISPLAY=lumenfold-nobody XDG_RUNTIME_DIR='" +
                                       runtime + "' " + program + " 2>&1; echo status=$?"),
              "Lumenfold: cannot open a window: the X display :4093 does not answer, and the Wayland display "
              "lumenfold-nobody does not answer\nstatus=1\n");
}

// An X server that refuses the connection (it wants a cookie, none is
// given): its reason is the probe's answer, not a line for the user, who
// reads only the program's own line.
TEST(DisplayChoice, AnXServerThatRefusesLeavesNoStrayLineOnStandardError) {
    const std::string folder = ::testing::TempDir() + "lumenfold-refusing-x-" + std::to_string(getpid());
    const std::string program = "'" LUMENFOLD_EXECUTABLE "'";
    const std::string output = testing_support::capture(
        "f='" + folder +
        "'; mkdir -p \"$f\" && xauth -q -f \"$f/auth\" add :0 MIT-MAGIC-COOKIE-1 $(mcookie) && "
        "{ Xvfb -displayfd 3 -auth \"$f/auth\" -nolisten tcp 3>\"$f/display\" >/dev/null 2>&1 & x=$!; } && "
        "for i in $(seq 100); do [ -s \"$f/display\" ] && break; sleep 0.05; done && "
        "env -i DISPLAY=:$(cat \"$f/display\") WAYLAND_DISPLAY=lumenfold-nobody XDG_RUNTIME_DIR=\"$f\" " +
        program + " 2>&1; echo status=$?; kill $x; wait $x 2>/dev/null; rm -rf \"$f\"");
    EXPECT_TRUE(output.starts_with("Lumenfold: cannot open a window: the X display :")) << output;
    EXPECT_TRUE(
        output.ends_with(" does not answer, and the Wayland display lumenfold-nobody does not answer\n"
                         "status=1\n"))
        << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 2) << output;
}

}  // namespace
