#pragma once

#include <QFont>

#include "toolkit/SmallThread.h"

namespace app {

// The fonts the layout names. Neither comes with Linux: the digital font is
// replaced by our own segment font, compiled in and registered from memory,
// and Tahoma by the system's sans serif. The stand-ins are entered in Qt's
// font substitutions, and the layout's fonts ask for them by their own
// names. A machine that has either font uses it.
inline constexpr const char* kDigitalFamily = "Let's go Digital";
inline constexpr const char* kDigitalSubstitute = "Lumenfold Segments";
inline constexpr const char* kTahomaFamily = "Tahoma";

// The installed family each of the layout's font names stands for after
// fontconfig's alias rules, resolved as QFontDatabase::hasFamily resolves
// it. Plain fontconfig, with no Qt object: it can run before QApplication
// exists, on another thread, once FcInit has run there.
struct FontAliases {
    QString digital;
    QString tahoma;
};
FontAliases resolveFontAliases();

// Loads the system's font configuration, the largest single cost before
// the first window can be drawn, and resolves the layout's font names in
// it: on a thread of its own, so that it runs on a second core while Qt
// connects to the display, or in the constructor when no thread can be
// started. wait() returns once it is done; the destructor waits as well.
class FontConfigurationLoad {
public:
    FontConfigurationLoad();
    ~FontConfigurationLoad();
    FontConfigurationLoad(const FontConfigurationLoad&) = delete;
    FontConfigurationLoad& operator=(const FontConfigurationLoad&) = delete;

    void wait();
    // The resolved font names; read them after wait().
    const FontAliases& aliases() const noexcept { return aliases_; }

private:
    FontAliases aliases_;
    toolkit::SmallThread thread_;
};

// Installs the substitutions for fonts that are not installed. Called once
// at start-up, before any window is made; calling it again changes nothing.
void installFontSubstitutes(const FontAliases& aliases);

// The layout's two fonts. Text in them is set from the glyphs' own hinted
// advances and the face's kerning pairs, without OpenType shaping, wherever
// its script does not need it (the addresses, captions and About text are
// Latin; a script that needs shaping still gets it), as the layout's own
// platform draws text. Shaping them cost some 0.8 MB of the shaper's code
// and tables, for text that shaping leaves as it is.
// The digital read-out font, or its stand-in: bold italic at the given size.
QFont digitalFont(qreal points);
// Tahoma, or its stand-in, at the given size, normal or bold.
QFont tahomaFont(qreal points, bool bold);

}  // namespace app
