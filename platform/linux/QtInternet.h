#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

#include "probes/InternetApi.h"
#include "toolkit/Waiter.h"

namespace platform::gnulinux {

// INTERNET_OPEN_TYPE_DIRECT: no proxy at all.
inline constexpr std::uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;

// The layer's own time-outs. The About text promises a verdict within 30
// seconds, so the whole open of a URL, name resolution included, stays
// inside that.
inline constexpr std::chrono::milliseconds kProbeConnectTimeout{std::chrono::seconds(10)};
inline constexpr std::chrono::milliseconds kProbeAnswerTimeout{std::chrono::seconds(20)};
static_assert(kProbeConnectTimeout <= kProbeAnswerTimeout && kProbeAnswerTimeout <= std::chrono::seconds(30));

// The internet session API over Qt Network.
//
// A session remembers its agent text and proxy mode; opening a URL on it
// sends one GET with that agent as User-Agent and hands back a URL handle as
// soon as the server has answered with its status line and headers,
// whatever the status. The body is never downloaded, redirects are not
// followed (an answer is an answer), and nothing is cached: every open goes
// to the server and asks any cache on the way not to answer for it. Handles
// belong to this object and are used from the UI thread, whose events
// `waiter` serves while an open waits; a cancelled wait gives no handle, as
// a site that never answered does.
class QtInternet : public probes::InternetApi {
public:
    using HINTERNET = probes::HINTERNET;
    struct Options {
        // Name resolution and the TCP connection, until the request is sent.
        std::chrono::milliseconds connectTimeout = kProbeConnectTimeout;
        // The whole open, from the start until the status line.
        std::chrono::milliseconds answerTimeout = kProbeAnswerTimeout;
    };

    explicit QtInternet(toolkit::Waiter& waiter);
    QtInternet(Options options, toolkit::Waiter& waiter);

    // Access types: 0 (the proxy the environment or the desktop names) or 1
    // (direct). Flags must be 0: there is neither an asynchronous nor an
    // offline mode. Anything else gives no handle.
    HINTERNET InternetOpenA(const std::string& agent, std::uint32_t accessType, const char* proxyName,
                            const char* proxyBypass, std::uint32_t flags) override;
    // http and https URLs only. Extra headers, when given, are sent as well.
    HINTERNET InternetOpenUrlA(HINTERNET session, const std::string& url, const char* headers,
                               std::uint32_t headersLength, std::uint32_t flags, std::uintptr_t context) override;
    // Closing a session also closes the URL handles opened on it.
    bool InternetCloseHandle(HINTERNET handle) override;

    // The status code a URL handle was answered with (0 for no URL handle).
    int statusCode(HINTERNET urlHandle) const;
    // How many handles are open.
    std::size_t openHandles() const noexcept { return handles_.size(); }

private:
    struct Entry {
        bool isSession = false;
        std::string agent;
        std::uint32_t accessType = 0;
        HINTERNET session = 0;  // for a URL handle: the session it was opened on
        int status = 0;
    };

    Options options_;
    toolkit::Waiter& waiter_;
    std::map<HINTERNET, Entry> handles_;
    HINTERNET next_ = 0xCC0004;
};

}  // namespace platform::gnulinux
