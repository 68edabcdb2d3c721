#pragma once

#include <QPointer>
#include <QWindow>
#include <cstdint>
#include <memory>
#include <optional>

struct wl_display;

namespace platform::gnulinux {

// The serial of the last pointer button press or key press. A compositor
// that checks where an activation request came from (mutter) accepts only
// the serial of the input event that triggered it, and a button acts on its
// release: the release's serial, which Qt hands on, is refused.
class PressSerials {
public:
    void pointerButton(std::uint32_t serial, bool pressed) noexcept {
        if (pressed) last_ = serial;
    }
    void key(std::uint32_t serial, bool pressed) noexcept {
        if (pressed) last_ = serial;
    }
    std::optional<std::uint32_t> last() const noexcept { return last_; }

private:
    std::optional<std::uint32_t> last_;
};

// Brings windows forward through xdg-activation on Qt's own Wayland
// connection, asking the token with the serial of the triggering press.
// Its own wl_pointer and wl_keyboard on the seat get the same events, with
// the same serials, as Qt's; they are dispatched by Qt on the default queue,
// on the thread that runs the windows.
class WaylandActivation {
public:
    // Null when Qt is not on Wayland or the compositor offers no
    // xdg_activation_v1.
    static std::unique_ptr<WaylandActivation> forQtDisplay();
    ~WaylandActivation();
    WaylandActivation(const WaylandActivation&) = delete;
    WaylandActivation& operator=(const WaylandActivation&) = delete;

    // Asks the compositor to bring `window` forward on behalf of the window
    // that has the focus now. Returns false when it cannot be asked (no
    // press seen yet, no surface), for the caller to ask in its own way.
    bool bringForward(QWindow& window);

    // The Wayland objects it holds; built by forQtDisplay().
    struct Objects;
    explicit WaylandActivation(std::unique_ptr<Objects> objects);

private:
    std::unique_ptr<Objects> objects_;
};

}  // namespace platform::gnulinux
