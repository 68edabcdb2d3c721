#pragma once

namespace app {

// Where the lamps' top edges sit in the status row, in twips: each lamp
// rests at the row's top, and the refresh cycle lifts the ones it lights.
inline constexpr float kLampResting = 1720;
inline constexpr float kLampLifted = 1710;
inline constexpr float kLampLiftedHigh = 1700;

}  // namespace app
