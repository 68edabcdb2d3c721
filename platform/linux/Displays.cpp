#include "platform/linux/Displays.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

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

// Holds what is written to standard error while a probe runs. libxcb writes
// an X server's reason for refusing a connection ("Authorization required,
// but no authorization protocol specified") straight to file descriptor 2;
// for a probe that is an answer, not a message for the user. What was held
// is passed on once the probe has ended, unless it is to be dropped.
class StandardErrorHeld {
public:
    StandardErrorHeld() : saved_(dup(STDERR_FILENO)), held_(memfd_create("lumenfold-probe-stderr", MFD_CLOEXEC)) {
        if (saved_ < 0 || held_ < 0) return;
        std::fflush(stderr);
        active_ = dup2(held_, STDERR_FILENO) >= 0;
    }
    ~StandardErrorHeld() {
        if (active_) {
            std::fflush(stderr);
            dup2(saved_, STDERR_FILENO);
            if (!drop_) passOn();
        }
        if (held_ >= 0) close(held_);
        if (saved_ >= 0) close(saved_);
    }
    StandardErrorHeld(const StandardErrorHeld&) = delete;
    StandardErrorHeld& operator=(const StandardErrorHeld&) = delete;
    void drop() { drop_ = true; }

private:
    void passOn() const {
        char buffer[4096];
        off_t offset = 0;
        ssize_t n = 0;
        while ((n = pread(held_, buffer, sizeof buffer, offset)) > 0) {
            if (write(STDERR_FILENO, buffer, static_cast<size_t>(n)) < 0) return;
            offset += n;
        }
    }
    int saved_;
    int held_;
    bool active_ = false;
    bool drop_ = false;
};

// libwayland's own log ("XDG_RUNTIME_DIR is invalid or not set") is silent
// while a probe asks; afterwards it writes to standard error, as its default
// does.
class WaylandLogQuiet {
public:
    WaylandLogQuiet() {
        wl_log_set_handler_client([](const char*, va_list) {});
    }
    ~WaylandLogQuiet() {
        wl_log_set_handler_client(
            [](const char* format, va_list arguments) { std::vfprintf(stderr, format, arguments); });
    }
    WaylandLogQuiet(const WaylandLogQuiet&) = delete;
    WaylandLogQuiet& operator=(const WaylandLogQuiet&) = delete;
};

std::unique_ptr<wl_display, WaylandDisconnect> connectWayland(const std::string& display) {
    // An empty name would make libwayland fall back to "wayland-0".
    if (display.empty()) return nullptr;
    return std::unique_ptr<wl_display, WaylandDisconnect>(wl_display_connect(display.c_str()));
}

}  // namespace

bool x11DisplayAnswers(const std::string& display) {
    if (display.empty()) return false;
    StandardErrorHeld quiet;
    // xcb_connect always answers an object; a failed one carries the error.
    std::unique_ptr<xcb_connection_t, XcbDisconnect> connection(xcb_connect(display.c_str(), nullptr));
    const bool answers = connection && xcb_connection_has_error(connection.get()) == 0;
    // A refusal is the answer: its reason goes no further.
    if (!answers) quiet.drop();
    return answers;
}

bool waylandDisplayAnswers(const std::string& display) {
    const WaylandLogQuiet quiet;
    const auto connection = connectWayland(display);
    // A round trip shows that a compositor, not just a socket, is there.
    return connection && wl_display_roundtrip(connection.get()) >= 0;
}

int waylandOutputScale(const std::string& display) {
    const WaylandLogQuiet quiet;
    const auto connection = connectWayland(display);
    if (!connection) return 0;
    std::unique_ptr<wl_registry, RegistryDestroy> registry(wl_display_get_registry(connection.get()));
    if (!registry) return 0;
    struct OutputDestroy {
        void operator()(wl_output* output) const { wl_output_destroy(output); }
    };
    struct Outputs {
        std::vector<std::unique_ptr<wl_output, OutputDestroy>> bound;
        int largest = 0;
    } outputs;
    static const wl_output_listener outputListener{
        [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
        [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
        [](void*, wl_output*) {},
        [](void* data, wl_output*, int32_t factor) {
            auto* o = static_cast<Outputs*>(data);
            o->largest = std::max(o->largest, static_cast<int>(factor));
        },
        [](void*, wl_output*, const char*) {},
        [](void*, wl_output*, const char*) {},
    };
    static const wl_registry_listener registryListener{
        [](void* data, wl_registry* r, uint32_t name, const char* interface, uint32_t version) {
            if (std::string_view(interface) != wl_output_interface.name || version < 2) return;
            auto* o = static_cast<Outputs*>(data);
            // Version 2 has the scale; a scale-1 output says so with it.
            auto* output = static_cast<wl_output*>(wl_registry_bind(r, name, &wl_output_interface, 2));
            if (!output) return;
            o->largest = std::max(o->largest, 1);
            wl_output_add_listener(output, &outputListener, o);
            o->bound.emplace_back(output);
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(registry.get(), &registryListener, &outputs);
    // The first round trip lists the globals, the second their events.
    if (wl_display_roundtrip(connection.get()) < 0 || wl_display_roundtrip(connection.get()) < 0) return 0;
    return outputs.largest;
}

}  // namespace platform::gnulinux
