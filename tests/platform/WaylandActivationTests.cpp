#include <gtest/gtest.h>

#include "platform/linux/WaylandActivation.h"

namespace {

using platform::gnulinux::PressSerials;

// A button acts on its release; the activation must still name the press,
// the only serial mutter accepts, whichever device made it last.
TEST(PressSerials, AReleaseLeavesThePressItFollowsAndTheLatestPressOfEitherDeviceCounts) {
    PressSerials presses;
    EXPECT_FALSE(presses.last());
    presses.pointerButton(27, true);
    presses.pointerButton(28, false);
    EXPECT_EQ(presses.last(), 27u);
    presses.key(29, true);
    presses.key(30, false);
    EXPECT_EQ(presses.last(), 29u);
    presses.pointerButton(31, true);
    EXPECT_EQ(presses.last(), 31u);
}

}  // namespace
