#include "platform/linux/WaylandActivation.h"

#include <qpa/qplatformnativeinterface.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstring>
#include <vector>

#include "xdg-activation-v1-client-protocol.h"

namespace platform::gnulinux {

namespace {

template <typename T, void (*Destroy)(T*)>
struct ProxyDeleter {
    void operator()(T* proxy) const noexcept {
        if (proxy) Destroy(proxy);
    }
};
template <typename T, void (*Destroy)(T*)>
using Owned = std::unique_ptr<T, ProxyDeleter<T, Destroy>>;

void releasePointer(wl_pointer* pointer) {
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) {
        wl_pointer_release(pointer);
    } else {
        wl_pointer_destroy(pointer);
    }
}
void releaseKeyboard(wl_keyboard* keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
        wl_keyboard_release(keyboard);
    } else {
        wl_keyboard_destroy(keyboard);
    }
}
void releaseSeat(wl_seat* seat) {
    if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
        wl_seat_release(seat);
    } else {
        wl_seat_destroy(seat);
    }
}

using Queue = Owned<wl_event_queue, wl_event_queue_destroy>;
using Registry = Owned<wl_registry, wl_registry_destroy>;
using Seat = Owned<wl_seat, releaseSeat>;
using Pointer = Owned<wl_pointer, releasePointer>;
using Keyboard = Owned<wl_keyboard, releaseKeyboard>;
using Activation = Owned<xdg_activation_v1, xdg_activation_v1_destroy>;
using Token = Owned<xdg_activation_token_v1, xdg_activation_token_v1_destroy>;

// Every handler the bound versions can call must exist: libwayland calls
// them unchecked.
void ignoreEnter(void*, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t, wl_fixed_t) {}
void ignoreLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void ignoreMotion(void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {}
void ignoreAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void ignoreFrame(void*, wl_pointer*) {}
void ignoreAxisSource(void*, wl_pointer*, uint32_t) {}
void ignoreAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void ignoreAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void pointerButton(void* data, wl_pointer*, uint32_t serial, uint32_t, uint32_t, uint32_t state) {
    static_cast<PressSerials*>(data)->pointerButton(serial, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
const wl_pointer_listener pointerListener{ignoreEnter, ignoreLeave,      ignoreMotion,   pointerButton,      ignoreAxis,
                                          ignoreFrame, ignoreAxisSource, ignoreAxisStop, ignoreAxisDiscrete, nullptr};

void keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { ::close(fd); }
void ignoreKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void ignoreKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void key(void* data, wl_keyboard*, uint32_t serial, uint32_t, uint32_t, uint32_t state) {
    static_cast<PressSerials*>(data)->key(serial, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}
void ignoreModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void ignoreRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener{keymap, ignoreKeyboardEnter, ignoreKeyboardLeave,
                                            key,    ignoreModifiers,     ignoreRepeatInfo};

void* qtResource(const char* name) {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native ? native->nativeResourceForIntegration(name) : nullptr;
}

wl_surface* surfaceOf(QWindow* window) {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native || !window || !window->handle()) return nullptr;
    return static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
}

}  // namespace

struct WaylandActivation::Objects {
    struct Request {
        Objects* owner = nullptr;
        Token token;
        QPointer<QWindow> target;
    };

    wl_display* display = nullptr;
    Seat seat;
    std::uint32_t capabilities = 0;
    Activation activation;
    PressSerials presses;
    // Declared after the seat and the activation: released before them.
    Pointer pointer;
    Keyboard keyboard;
    std::vector<std::unique_ptr<Request>> requests;

    // A pointer or keyboard that comes (or goes) later is followed too.
    bool followCapabilities = false;
    void updateDevices() {
        if (!followCapabilities) return;
        const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
        if (hasPointer && !pointer) {
            pointer.reset(wl_seat_get_pointer(seat.get()));
            wl_pointer_add_listener(pointer.get(), &pointerListener, &presses);
        } else if (!hasPointer) {
            pointer.reset();
        }
        const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
        if (hasKeyboard && !keyboard) {
            keyboard.reset(wl_seat_get_keyboard(seat.get()));
            wl_keyboard_add_listener(keyboard.get(), &keyboardListener, &presses);
        } else if (!hasKeyboard) {
            keyboard.reset();
        }
    }

    void finish(Request* request, const char* token) {
        if (wl_surface* surface = surfaceOf(request->target))
            xdg_activation_v1_activate(activation.get(), token, surface);
        std::erase_if(requests, [request](const std::unique_ptr<Request>& r) { return r.get() == request; });
    }
};

namespace {

void seatCapabilities(void* data, wl_seat*, uint32_t capabilities) {
    auto* objects = static_cast<WaylandActivation::Objects*>(data);
    objects->capabilities = capabilities;
    objects->updateDevices();
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener{seatCapabilities, seatName};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto* objects = static_cast<WaylandActivation::Objects*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !objects->seat) {
        objects->seat.reset(static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min<uint32_t>(version, 5))));
        wl_seat_add_listener(objects->seat.get(), &seatListener, objects);
    } else if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0 && !objects->activation) {
        objects->activation.reset(
            static_cast<xdg_activation_v1*>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1)));
    }
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener{global, globalRemove};

void tokenDone(void* data, xdg_activation_token_v1*, const char* token) {
    auto* request = static_cast<WaylandActivation::Objects::Request*>(data);
    request->owner->finish(request, token);
}
const xdg_activation_token_v1_listener tokenListener{tokenDone};

}  // namespace

std::unique_ptr<WaylandActivation> WaylandActivation::forQtDisplay() {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) return nullptr;
    auto* display = static_cast<wl_display*>(qtResource("wl_display"));
    if (!display) return nullptr;
    auto objects = std::make_unique<Objects>();
    objects->display = display;

    // The globals are listed on a queue of our own, so that this round trip
    // dispatches none of Qt's events.
    Queue queue(wl_display_create_queue(display));
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue.get());
    Registry registry(wl_display_get_registry(wrapper));
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry.get(), &registryListener, objects.get());
    if (wl_display_roundtrip_queue(display, queue.get()) < 0 || !objects->seat || !objects->activation) return nullptr;
    if (wl_display_roundtrip_queue(display, queue.get()) < 0) return nullptr;  // the seat's capabilities

    // Input devices and tokens live on Qt's default queue: Qt dispatches
    // their events on the windows' thread, each press before Qt acts on the
    // release that follows it.
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(objects->activation.get()), nullptr);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(objects->seat.get()), nullptr);
    objects->followCapabilities = true;
    objects->updateDevices();
    wl_display_flush(display);
    return std::make_unique<WaylandActivation>(std::move(objects));
}

WaylandActivation::WaylandActivation(std::unique_ptr<Objects> objects) : objects_(std::move(objects)) {}

WaylandActivation::~WaylandActivation() = default;

bool WaylandActivation::bringForward(QWindow& window) {
    const std::optional<std::uint32_t> serial = objects_->presses.last();
    if (!serial || !surfaceOf(&window)) return false;
    auto request = std::make_unique<Objects::Request>();
    request->owner = objects_.get();
    request->target = &window;
    request->token.reset(xdg_activation_v1_get_activation_token(objects_->activation.get()));
    xdg_activation_token_v1_add_listener(request->token.get(), &tokenListener, request.get());
    xdg_activation_token_v1_set_serial(request->token.get(), *serial, objects_->seat.get());
    // The compositor weighs the request by the window the press went to.
    if (wl_surface* focused = surfaceOf(QGuiApplication::focusWindow()))
        xdg_activation_token_v1_set_surface(request->token.get(), focused);
    const QString desktopFile = QGuiApplication::desktopFileName();
    if (!desktopFile.isEmpty())
        xdg_activation_token_v1_set_app_id(request->token.get(), desktopFile.toUtf8().constData());
    xdg_activation_token_v1_commit(request->token.get());
    objects_->requests.push_back(std::move(request));
    wl_display_flush(objects_->display);
    return true;
}

}  // namespace platform::gnulinux
