#pragma once

#include <cstdint>

namespace toolkit {
class ProgressBar;
}

// The progress-bar colouring of the gathering display.
namespace probes::Module1 {

// Colours the bar through the two progress-bar messages sent to its handle,
// background first. Colours are references laid out 0x00BBGGRR.
void SetProgressColors(toolkit::ProgressBar& ProgressBar, const std::uint32_t& backColor,
                       const std::uint32_t& barColor);

}  // namespace probes::Module1
