#pragma once

#include <QByteArray>
#include <QCursor>
#include <QIcon>
#include <QString>

namespace app {

// The pictures of the main window, compiled in under ":/assets/".
inline constexpr const char* kWindowIconPath = ":/assets/Form1.ico";
inline constexpr const char* kLegendPicturePath = ":/assets/Image1.jpg";
inline constexpr const char* kEmblemPath = ":/assets/Picture4.gif";
inline constexpr const char* kHandCursorPath = ":/assets/Hand.cur";
// The segment font of the read-outs, drawn by tools/fontgen.
inline constexpr const char* kDigitalFontPath = ":/assets/LumenfoldSegments.ttf";

// The icon of both windows, the main window and Adapter Info.
QIcon windowIcon();
// The resource path of a picture, for a control that reads it when first shown.
QString picturePath(const char* path);
// The bytes of a resource, kept where the program holds them unless they
// are compressed; empty when it cannot be read.
QByteArray resourceData(const char* path);
// The pointing hand over the command buttons, with the hot spot its file
// gives (the tip of the index finger).
QCursor handCursor();

}  // namespace app
