#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>

namespace toolkit {

// A control that answers window messages sent to its handle.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual std::intptr_t handleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

// A control's window handle. It does not keep the control alive: a message
// sent to the handle of a destroyed control goes nowhere and answers 0.
struct Hwnd {
    QPointer<QWidget> widget;
    explicit operator bool() const { return !widget.isNull(); }
};

std::intptr_t SendMessage(const Hwnd& hwnd, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// Progress-bar messages and the colour references they carry (0x00BBGGRR).
namespace messages {
inline constexpr std::uint32_t PBM_SETBKCOLOR = 0x2001;   // same number as CCM_SETBKCOLOR
inline constexpr std::uint32_t PBM_SETBARCOLOR = 0x0409;  // WM_USER + 9
}  // namespace messages

inline QColor colorFromRef(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

}  // namespace toolkit
