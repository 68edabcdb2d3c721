#pragma once

namespace app {

// What the application sets once its QApplication exists and before any
// window is made: its names, the fonts standing in for missing ones, and
// that the runtime, not Qt, decides when the application ends.
void prepareApplication();

}  // namespace app
