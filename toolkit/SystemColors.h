#pragma once

#include <QColor>

namespace toolkit {

// The named system colours a layout may give a control. They resolve to
// fixed values of this platform, the classic light scheme, never to the
// desktop's palette: a layout pairs them with colours of its own (green
// text on the window-text colour, a black caption on the button face), and
// only fixed values keep such a pair legible whatever the desktop's theme.
// A control that leaves both of its colours to the platform takes both
// from the desktop's palette instead.
enum class SystemColor {
    WindowText,
    MenuText,
    ButtonText,
    ButtonFace,
    WindowBackground,
    // The bevel of a button: its lit edge, the line inside it, its shadow.
    ButtonHighlight,
    ButtonLight,
    ButtonShadow,
};

QColor systemColor(SystemColor color);

}  // namespace toolkit
