#include "platform/linux/NetlinkLocalIp.h"

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "toolkit/Error.h"

namespace probes {

namespace {

constexpr const char* kSource = "Winsock";

[[noreturn]] void fail(int error) {
    throw toolkit::Error(kLocalIpReadFailed, kSource,
                         std::string("Cannot read the local address: ") + std::strerror(error));
}

class Socket {
public:
    Socket() : fd_(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {
        if (fd_ < 0) fail(errno);
    }
    ~Socket() { close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const noexcept { return fd_; }

private:
    int fd_;
};

// The dump was disturbed by a change in the kernel's tables; read again.
struct Interrupted {};

// Sends one dump request of the given type, with its family header, and
// hands each answer to onMessage.
template <class Header>
void dump(const Socket& socket, std::uint16_t type, const Header& header,
          const std::function<void(const nlmsghdr&)>& onMessage) {
    struct {
        nlmsghdr nlh;
        Header body;
    } request{};
    request.nlh.nlmsg_len = NLMSG_LENGTH(sizeof(Header));
    request.nlh.nlmsg_type = type;
    request.nlh.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.nlh.nlmsg_seq = type;
    request.body = header;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(socket.fd(), &request, request.nlh.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
               sizeof kernel) < 0)
        fail(errno);

    // Large enough for any single datagram of a dump.
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t received = recv(socket.fd(), buffer.data(), buffer.size(), 0);
        if (received < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (received == 0) fail(EPIPE);
        auto remaining = static_cast<unsigned int>(received);
        for (auto* nlh = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(nlh, remaining);
             nlh = NLMSG_NEXT(nlh, remaining)) {
            if (nlh->nlmsg_seq != request.nlh.nlmsg_seq) continue;
            if (nlh->nlmsg_flags & NLM_F_DUMP_INTR) throw Interrupted{};
            if (nlh->nlmsg_type == NLMSG_DONE) return;
            if (nlh->nlmsg_type == NLMSG_ERROR) {
                const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(nlh));
                fail(error->error < 0 ? -error->error : EPROTO);
            }
            onMessage(*nlh);
        }
    }
}

// The attributes of a message after its family header, by type.
std::map<unsigned short, const rtattr*> attributes(const nlmsghdr& nlh, int headerSize) {
    std::map<unsigned short, const rtattr*> found;
    int length = static_cast<int>(nlh.nlmsg_len) - static_cast<int>(NLMSG_LENGTH(headerSize));
    for (auto* rta = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(NLMSG_DATA(&nlh)) +
                                                     NLMSG_ALIGN(headerSize));
         RTA_OK(rta, length); rta = RTA_NEXT(rta, length))
        found.emplace(rta->rta_type, rta);
    return found;
}

struct Address {
    int ifindex;
    in_addr address;
};

struct Tables {
    std::map<int, unsigned int> linkFlags;  // ifindex -> IFF_* flags
    std::vector<Address> addresses;          // IPv4, in the kernel's order
    std::optional<int> defaultInterface;
};

std::optional<int> defaultRouteInterface(const nlmsghdr& nlh) {
    const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(&nlh));
    if (route->rtm_family != AF_INET || route->rtm_dst_len != 0 || route->rtm_type != RTN_UNICAST)
        return std::nullopt;
    const auto attrs = attributes(nlh, sizeof(rtmsg));
    unsigned int table = route->rtm_table;
    if (const auto t = attrs.find(RTA_TABLE); t != attrs.end())
        table = *static_cast<const std::uint32_t*>(RTA_DATA(t->second));
    if (table != RT_TABLE_MAIN) return std::nullopt;
    constexpr unsigned int unusable = RTNH_F_DEAD | RTNH_F_LINKDOWN;
    if (const auto oif = attrs.find(RTA_OIF); oif != attrs.end()) {
        if (route->rtm_flags & unusable) return std::nullopt;
        return *static_cast<const int*>(RTA_DATA(oif->second));
    }
    if (const auto multipath = attrs.find(RTA_MULTIPATH); multipath != attrs.end()) {
        int length = static_cast<int>(RTA_PAYLOAD(multipath->second));
        for (auto* hop = static_cast<const rtnexthop*>(RTA_DATA(multipath->second)); RTNH_OK(hop, length);
             length -= NLMSG_ALIGN(hop->rtnh_len), hop = RTNH_NEXT(hop))
            if (!(hop->rtnh_flags & unusable)) return hop->rtnh_ifindex;
    }
    return std::nullopt;
}

std::uint32_t routeMetric(const nlmsghdr& nlh) {
    const auto attrs = attributes(nlh, sizeof(rtmsg));
    const auto priority = attrs.find(RTA_PRIORITY);
    return priority == attrs.end() ? 0 : *static_cast<const std::uint32_t*>(RTA_DATA(priority->second));
}

Tables readTables() {
    Socket socket;
    Tables tables;

    ifinfomsg links{};
    links.ifi_family = AF_UNSPEC;
    dump(socket, RTM_GETLINK, links, [&](const nlmsghdr& nlh) {
        if (nlh.nlmsg_type != RTM_NEWLINK) return;
        const auto* link = static_cast<const ifinfomsg*>(NLMSG_DATA(&nlh));
        tables.linkFlags[link->ifi_index] = link->ifi_flags;
    });

    ifaddrmsg addresses{};
    addresses.ifa_family = AF_INET;
    dump(socket, RTM_GETADDR, addresses, [&](const nlmsghdr& nlh) {
        if (nlh.nlmsg_type != RTM_NEWADDR) return;
        const auto* address = static_cast<const ifaddrmsg*>(NLMSG_DATA(&nlh));
        if (address->ifa_family != AF_INET) return;
        const auto attrs = attributes(nlh, sizeof(ifaddrmsg));
        // On a point-to-point link IFA_ADDRESS is the peer; IFA_LOCAL is ours.
        auto found = attrs.find(IFA_LOCAL);
        if (found == attrs.end()) found = attrs.find(IFA_ADDRESS);
        if (found == attrs.end() || RTA_PAYLOAD(found->second) < sizeof(in_addr)) return;
        Address entry{static_cast<int>(address->ifa_index), {}};
        std::memcpy(&entry.address, RTA_DATA(found->second), sizeof(in_addr));
        tables.addresses.push_back(entry);
    });

    rtmsg routes{};
    routes.rtm_family = AF_INET;
    std::optional<std::uint32_t> bestMetric;
    dump(socket, RTM_GETROUTE, routes, [&](const nlmsghdr& nlh) {
        if (nlh.nlmsg_type != RTM_NEWROUTE) return;
        const auto ifindex = defaultRouteInterface(nlh);
        if (!ifindex) return;
        const std::uint32_t metric = routeMetric(nlh);
        if (!bestMetric || metric < *bestMetric) {
            bestMetric = metric;
            tables.defaultInterface = ifindex;
        }
    });
    return tables;
}

std::string text(const in_addr& address) {
    std::array<char, INET_ADDRSTRLEN> buffer{};
    if (!inet_ntop(AF_INET, &address, buffer.data(), buffer.size())) fail(errno);
    return buffer.data();
}

bool isLoopback(const in_addr& address) { return (ntohl(address.s_addr) >> 24) == 127; }

}  // namespace

std::string NetlinkLocalIp::LocalIP() {
    Tables tables;
    for (int attempt = 0;; ++attempt) {
        try {
            tables = readTables();
            break;
        } catch (const Interrupted&) {
            if (attempt == 4) fail(EAGAIN);
        }
    }

    if (tables.defaultInterface) {
        for (const Address& entry : tables.addresses)
            if (entry.ifindex == *tables.defaultInterface) return text(entry.address);
    }

    std::stable_sort(tables.addresses.begin(), tables.addresses.end(),
                     [](const Address& a, const Address& b) { return a.ifindex < b.ifindex; });
    for (const Address& entry : tables.addresses) {
        const auto flags = tables.linkFlags.find(entry.ifindex);
        if (flags == tables.linkFlags.end()) continue;
        if ((flags->second & IFF_UP) && !(flags->second & IFF_LOOPBACK) && !isLoopback(entry.address))
            return text(entry.address);
    }
    return "127.0.0.1";
}

}  // namespace probes
