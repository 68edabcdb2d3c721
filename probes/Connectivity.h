#pragma once

#include <string>

#include "probes/InternetApi.h"
#include "probes/LocalIp.h"

namespace probes {

// The home page of a well-known, always-reachable web site, over http.
inline constexpr const char* kProbeUrl = "http://example.com/";

// The flags of the probe's URL open: straight to the server every time,
// never answered from a cache nor stored in one, on a kept-alive connection.
inline constexpr std::uint32_t kProbeUrlFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;
static_assert(kProbeUrlFlags == 0x84400000u);

enum class ProbeResult {
    Reachable,    // the probe URL was opened
    Unreachable,  // a session was opened, the probe URL was not
    NotRun,       // no internet session could be opened
};

// Can the probe site be opened over HTTP right now? Only whether the session
// API hands back a URL handle counts; nothing is read from it. Both handles
// are closed before this returns, the URL handle first.
ProbeResult ProbeConnectivity(InternetApi& internet, const std::string& agent, const std::string& url = kProbeUrl);

// The machine's local IPv4 address as text. Raises when it cannot be read.
std::string ReadLocalAddress(LocalIpService& Winsock1);

}  // namespace probes
