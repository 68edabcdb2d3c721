#pragma once

#include <QByteArray>
#include <QCursor>
#include <QIcon>
#include <QString>

#include "toolkit/SmallThread.h"

namespace app {

// The pictures of the main window, compiled in under ":/assets/".
inline constexpr const char* kWindowIconPath = ":/assets/Form1.ico";
inline constexpr const char* kPanelPicturePath = ":/assets/Picture1.jpg";
inline constexpr const char* kLegendPicturePath = ":/assets/Image1.jpg";
inline constexpr const char* kEmblemPath = ":/assets/Picture4.gif";
inline constexpr const char* kHandCursorPath = ":/assets/Hand.cur";
// The segment font of the read-outs, drawn by tools/fontgen.
inline constexpr const char* kDigitalFontPath = ":/assets/LumenfoldSegments.ttf";

// The icon of both windows, the main window and Adapter Info.
QIcon windowIcon();
// The resource path of a picture, for a control that reads it when first shown.
QString picturePath(const char* path);
// The bytes of a resource; empty when it cannot be read.
QByteArray resourceData(const char* path);
// The pointing hand over the command buttons, with the hot spot its file
// gives (the tip of the index finger).
QCursor handCursor();

// Loads the image plug-ins that read the window's icon, the cursor and the
// panel picture, on a thread of its own, started once the Qt application
// exists: finding and loading a plug-in costs about a millisecond, reading
// those small pictures next to nothing, so the window's first reads find
// their plug-ins ready. Nothing is decoded. Waits for the thread when
// destroyed; without a thread to be had it does nothing.
class ImageReadersWarmUp {
public:
    ImageReadersWarmUp();

private:
    toolkit::SmallThread thread_;
};

}  // namespace app
