#pragma once

#include <cmath>

namespace toolkit {

// Positions and sizes are twips: 1440 to the inch, 15 to the logical pixel.
// Qt's device-pixel ratio takes it from logical pixels to the screen.
inline constexpr float kTwipsPerPixel = 15.0f;

inline int toPixels(float twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
inline float toTwips(int pixels) { return static_cast<float>(pixels) * kTwipsPerPixel; }

}  // namespace toolkit
