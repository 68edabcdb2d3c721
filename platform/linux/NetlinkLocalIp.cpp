#include "platform/linux/NetlinkLocalIp.h"

#include <linux/rtnetlink.h>
#include <net/if.h>

#include <algorithm>
#include <optional>
#include <system_error>
#include <unordered_map>

#include "platform/linux/Rtnetlink.h"
#include "toolkit/Error.h"
#include "toolkit/Waiter.h"

namespace platform::gnulinux {

namespace {

// The interface of the usable default route with the lowest metric (the
// first of equals); a route whose next hop is dead or has no carrier is
// not usable, and of a multipath route the first usable hop counts.
std::optional<std::uint32_t> defaultInterface(const rtnetlink::Tables& tables) {
    constexpr std::uint32_t unusable = RTNH_F_DEAD | RTNH_F_LINKDOWN;
    std::optional<std::uint32_t> best;
    std::uint32_t bestMetric = 0;
    for (const rtnetlink::Ipv4Route& route : tables.routes) {
        if (!route.isMainDefault()) continue;
        const auto hop = std::find_if(route.hops.begin(), route.hops.end(),
                                      [](const rtnetlink::NextHop& h) { return !(h.flags & unusable); });
        if (hop == route.hops.end()) continue;
        if (!best || route.metric < bestMetric) {
            best = hop->interfaceIndex;
            bestMetric = route.metric;
        }
    }
    return best;
}

bool isLoopback(const std::string& address) { return address.starts_with("127."); }

}  // namespace

std::string NetlinkLocalIp::LocalIP() {
    rtnetlink::Tables tables;
    try {
        tables = toolkit::waitFor(waiter_, [](const std::stop_token&) { return rtnetlink::readTables(); });
    } catch (const std::system_error& e) {
        throw toolkit::Error(kLocalIpReadFailed, "Winsock", "Cannot read the local address: " + e.code().message());
    } catch (const toolkit::WaitCancelled&) {
        throw toolkit::Error(kLocalIpReadFailed, "Winsock", "Cannot read the local address: the read was cancelled");
    }

    if (const auto index = defaultInterface(tables)) {
        for (const rtnetlink::Ipv4Address& entry : tables.addresses)
            if (entry.interfaceIndex == *index) return entry.address;
    }

    std::unordered_map<std::uint32_t, std::uint32_t> linkFlags;
    for (const rtnetlink::Link& link : tables.links) linkFlags[link.index] = link.flags;
    std::stable_sort(tables.addresses.begin(), tables.addresses.end(),
                     [](const auto& a, const auto& b) { return a.interfaceIndex < b.interfaceIndex; });
    for (const rtnetlink::Ipv4Address& entry : tables.addresses) {
        const auto flags = linkFlags.find(entry.interfaceIndex);
        if (flags == linkFlags.end()) continue;
        if ((flags->second & IFF_UP) && !(flags->second & IFF_LOOPBACK) && !isLoopback(entry.address))
            return entry.address;
    }
    return probes::kLoopbackAddress;
}

}  // namespace platform::gnulinux
