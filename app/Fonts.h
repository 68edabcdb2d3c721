#pragma once

#include <QFont>

namespace app {

// The fonts the layout names. Neither comes with Linux: the digital font is
// replaced by our own segment font, compiled in and registered from memory,
// and Tahoma by the system's sans serif, through Qt's font substitution, so
// the layout keeps its names. A machine that has either font uses it.
inline constexpr const char* kDigitalFamily = "Let's go Digital";
inline constexpr const char* kDigitalSubstitute = "Lumenfold Segments";
inline constexpr const char* kTahomaFamily = "Tahoma";

// Installs the substitutions for fonts that are not installed. Called once
// at start-up, before any window is made; calling it again changes nothing.
void installFontSubstitutes();

// The digital read-out font: bold italic at the given size.
QFont digitalFont(qreal points);
// Tahoma at the given size, normal or bold.
QFont tahomaFont(qreal points, bool bold);

}  // namespace app
