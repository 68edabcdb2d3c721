#pragma once

#include <QFont>

namespace app {

// The fonts the layout names. Neither comes with Linux: the digital font is
// replaced by DSEG14 Classic (fonts-dseg) and Tahoma by the system's sans
// serif, through Qt's font substitution, so the layout keeps its names.
inline constexpr const char* kDigitalFamily = "Let's go Digital";
inline constexpr const char* kDigitalSubstitute = "DSEG14 Classic";
inline constexpr const char* kTahomaFamily = "Tahoma";

// DSEG14's characters are about 1.6 times as wide as those of the font the
// layout was made for; at this stretch the captions fit their boxes.
inline constexpr int kDigitalSubstituteStretch = 63;

// Installs the substitutions for fonts that are not installed. Called once
// at start-up, before any window is made.
void installFontSubstitutes();

// The digital read-out font: bold italic at the given size, narrowed when
// the substitute stands in for it.
QFont digitalFont(qreal points);
// Tahoma at the given size, normal or bold.
QFont tahomaFont(qreal points, bool bold);

}  // namespace app
