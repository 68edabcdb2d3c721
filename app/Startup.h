#pragma once

namespace app {

// What the process sets before its first thread starts: under a tight
// address-space limit (ulimit -v), threads share one malloc arena, since
// each arena of its own reserves 64 MiB that such a limit cannot spare and
// an allocation on a thread would then fail (fontconfig crashes, a waiter's
// worker cannot post its result).
void fitProcessToAddressSpace();

// What the application sets once its QApplication exists and before any
// window is made: its names, the fonts standing in for missing ones, and
// that the runtime, not Qt, decides when the application ends.
void prepareApplication();

}  // namespace app
