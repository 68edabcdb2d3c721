#include <gtest/gtest.h>

#include "platform/linux/WaylandActivation.h"

namespace {

using platform::gnulinux::PressSerials;

// A button acts on its release; the activation must still name the press,
// the only serial mutter accepts.
TEST(PressSerials, AReleaseLeavesThePressItFollows) {
    PressSerials presses;
    EXPECT_FALSE(presses.last());
    presses.pointerButton(27, true);
    presses.pointerButton(28, false);
    EXPECT_EQ(presses.last(), 27u);
}

TEST(PressSerials, TheLatestPressOfEitherDeviceCounts) {
    PressSerials presses;
    presses.pointerButton(5, true);
    presses.key(9, true);
    presses.key(10, false);
    EXPECT_EQ(presses.last(), 9u);
    presses.pointerButton(12, true);
    EXPECT_EQ(presses.last(), 12u);
}

}  // namespace
