#include "platform/linux/Displays.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <memory>

namespace platform::gnulinux {

namespace {

struct XcbDisconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct WaylandDisconnect {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};
struct RegistryDestroy {
    void operator()(wl_registry* registry) const { wl_registry_destroy(registry); }
};

std::unique_ptr<wl_display, WaylandDisconnect> connectWayland(const std::string& display) {
    // An empty name would make libwayland fall back to "wayland-0".
    if (display.empty()) return nullptr;
    return std::unique_ptr<wl_display, WaylandDisconnect>(wl_display_connect(display.c_str()));
}

}  // namespace

bool x11DisplayAnswers(const std::string& display) {
    if (display.empty()) return false;
    // xcb_connect always answers an object; a failed one carries the error.
    std::unique_ptr<xcb_connection_t, XcbDisconnect> connection(xcb_connect(display.c_str(), nullptr));
    return connection && xcb_connection_has_error(connection.get()) == 0;
}

bool waylandDisplayAnswers(const std::string& display) {
    const auto connection = connectWayland(display);
    // A round trip shows that a compositor, not just a socket, is there.
    return connection && wl_display_roundtrip(connection.get()) >= 0;
}

bool waylandCompositorOffers(const std::string& display, const std::string& interface) {
    const auto connection = connectWayland(display);
    if (!connection) return false;
    std::unique_ptr<wl_registry, RegistryDestroy> registry(wl_display_get_registry(connection.get()));
    if (!registry) return false;
    struct Search {
        const std::string& wanted;
        bool found = false;
    } search{interface};
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, uint32_t, const char* name, uint32_t) {
            auto* s = static_cast<Search*>(data);
            if (s->wanted == name) s->found = true;
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(registry.get(), &listener, &search);
    if (wl_display_roundtrip(connection.get()) < 0) return false;
    return search.found;
}

}  // namespace platform::gnulinux
