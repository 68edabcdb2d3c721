#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/linux/QtHttp.h"
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
// sends one GET (see QtHttp.h) with that agent as User-Agent and hands back
// a URL handle as soon as the site has answered with its final status line
// and headers, whatever the status: any answer of the site's own is an
// answer. A proxy's answer is not: 407 (the proxy wants credentials), and
// 502 or 504 from an HTTP proxy (it could not reach the site) give no
// handle. The body is never downloaded, redirects are not followed, and
// nothing is cached: every open goes to the server and asks any cache on
// the way not to answer for it. An open that gives no handle reports why,
// as one line, to `report`. Handles
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
        // Names what failed on the report's lines.
        std::string what = "reachability probe";
        std::function<void(const std::string& line)> report = writeToStandardError;
    };

    explicit QtInternet(toolkit::Waiter& waiter);
    QtInternet(Options options, toolkit::Waiter& waiter);

    // Access types: 0 (the proxy the environment or the desktop names) or 1
    // (direct). Flags must be 0: there is neither an asynchronous nor an
    // offline mode. Anything else gives no handle.
    HINTERNET InternetOpenA(const std::string& agent, std::uint32_t accessType, const char* proxyName,
                            const char* proxyBypass, std::uint32_t flags) override;
    // http URLs only. Extra headers, when given, are sent as well, but none
    // that would frame a body or start a line of its own.
    HINTERNET InternetOpenUrlA(HINTERNET session, const std::string& url, const char* headers,
                               std::uint32_t headersLength, std::uint32_t flags, std::uintptr_t context) override;
    // Closing a session also closes the URL handles opened on it.
    bool InternetCloseHandle(HINTERNET handle) override;

private:
    struct Entry {
        bool isSession = false;
        std::string agent;
        std::uint32_t accessType = 0;
        HINTERNET session = 0;  // for a URL handle: the session it was opened on
    };
    // Whether the site answered; otherwise why not, to the report.
    bool siteAnswered(const std::string& url, const Entry& session, const char* headers, std::uint32_t headersLength);

    Options options_;
    toolkit::Waiter& waiter_;
    std::map<HINTERNET, Entry> handles_;
    HINTERNET next_ = 0xCC0004;
};

}  // namespace platform::gnulinux
