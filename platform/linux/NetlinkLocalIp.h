#pragma once

#include <cstdint>
#include <string>

#include "probes/LocalIp.h"
#include "toolkit/Waiter.h"

namespace platform::gnulinux {

// Error number of a local address that cannot be read (the network is down
// as far as this program can tell).
inline constexpr std::int32_t kLocalIpReadFailed = 10050;

// The machine's local IPv4 address, read from the kernel over rtnetlink:
//  1. the first address of the interface that carries the default route
//     (the one with the lowest metric when there are several);
//  2. without one, the first address of the first interface, in interface
//     order, that is up and not loopback;
//  3. with none, "127.0.0.1".
// The host name is never resolved: on Debian it maps to 127.0.1.1, which is
// not a LAN address. The namespace read is that of the calling thread (a
// waiter's worker, started by it, shares it). The kernel is asked from the
// waiter's worker; a cancelled wait fails as a read that failed.
class NetlinkLocalIp : public probes::LocalIpService {
public:
    explicit NetlinkLocalIp(toolkit::Waiter& waiter) : waiter_(waiter) {}
    std::string LocalIP() override;

private:
    toolkit::Waiter& waiter_;
};

}  // namespace platform::gnulinux
