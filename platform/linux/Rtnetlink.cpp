#include "platform/linux/Rtnetlink.h"

#include <arpa/inet.h>
#include <libmnl/libmnl.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace platform::gnulinux::rtnetlink {

namespace {

[[noreturn]] void throwErrno(int error, const char* what) {
    throw std::system_error(error, std::generic_category(), what);
}

// The kernel's tables changed while it was dumping one of them.
struct Interrupted {};

struct SocketCloser {
    void operator()(mnl_socket* socket) const { mnl_socket_close(socket); }
};
using Socket = std::unique_ptr<mnl_socket, SocketCloser>;

Socket openSocket() {
    Socket socket(mnl_socket_open2(NETLINK_ROUTE, SOCK_CLOEXEC));
    if (!socket) throwErrno(errno, "netlink socket");
    if (mnl_socket_bind(socket.get(), 0, MNL_SOCKET_AUTOPID) < 0) throwErrno(errno, "netlink bind");
    return socket;
}

using MessageHandler = std::function<void(const nlmsghdr*)>;

enum class Walked { More, Done };

// Hands each data message of one answer to the handler, checking every
// length against the bytes that arrived (libmnl's own walk takes a length
// of 2 GiB or more for a negative one and reads past the buffer). Throws
// std::system_error for an error message, a message that does not fit or
// one of another request, Interrupted for a dump the kernel marks as such.
// seq and portId 0 take any message.
Walked walkAnswer(const char* bytes, std::size_t length, unsigned int seq, unsigned int portId,
                  const MessageHandler& handler) {
    while (length >= sizeof(nlmsghdr)) {
        nlmsghdr header{};
        std::memcpy(&header, bytes, sizeof header);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > length) throwErrno(EBADMSG, "netlink answer");
        if ((seq != 0 && header.nlmsg_seq != 0 && header.nlmsg_seq != seq) ||
            (portId != 0 && header.nlmsg_pid != 0 && header.nlmsg_pid != portId))
            throwErrno(EPROTO, "netlink answer");
        if (header.nlmsg_flags & NLM_F_DUMP_INTR) throw Interrupted{};
        const auto* message = reinterpret_cast<const nlmsghdr*>(bytes);
        if (header.nlmsg_type == NLMSG_DONE) return Walked::Done;
        if (header.nlmsg_type == NLMSG_ERROR) {
            nlmsgerr error{};
            if (header.nlmsg_len < NLMSG_LENGTH(sizeof error)) throwErrno(EBADMSG, "netlink answer");
            std::memcpy(&error, bytes + NLMSG_HDRLEN, sizeof error);
            if (error.error == 0) return Walked::Done;
            // The kernel sends a negated errno; anything else is no answer of its.
            throwErrno(error.error < 0 && error.error > -4096 ? -error.error : EPROTO, "netlink dump");
        }
        if (header.nlmsg_type >= NLMSG_MIN_TYPE) handler(message);
        const std::size_t step = NLMSG_ALIGN(header.nlmsg_len);
        if (step >= length) break;
        bytes += step;
        length -= step;
    }
    return Walked::More;
}

// Sends one dump request and hands each answer to the handler until the
// kernel says the dump is done.
void dump(mnl_socket* socket, std::uint16_t type, std::uint8_t family, std::size_t headerSize, unsigned int seq,
          const MessageHandler& handler) {
    alignas(nlmsghdr) std::array<char, 256> request{};
    nlmsghdr* header = mnl_nlmsg_put_header(request.data());
    header->nlmsg_type = type;
    header->nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    header->nlmsg_seq = seq;
    // ifinfomsg, ifaddrmsg and rtmsg all begin with the address family.
    auto* extra = static_cast<std::uint8_t*>(mnl_nlmsg_put_extra_header(header, headerSize));
    extra[0] = family;
    // Nobody here reads the link statistics: leave them out of the answer.
    if (type == RTM_GETLINK) mnl_attr_put_u32(header, IFLA_EXT_MASK, RTEXT_FILTER_SKIP_STATS);
    if (mnl_socket_sendto(socket, header, header->nlmsg_len) < 0) throwErrno(errno, "netlink send");

    const unsigned int portId = mnl_socket_get_portid(socket);
    // Large reads: a dump of a thousand links comes in far fewer pieces.
    std::vector<char> answer(1u << 16);
    for (;;) {
        const ssize_t received = mnl_socket_recvfrom(socket, answer.data(), answer.size());
        if (received < 0) {
            if (errno == EINTR) continue;
            throwErrno(errno, "netlink receive");
        }
        if (walkAnswer(answer.data(), static_cast<std::size_t>(received), seq, portId, handler) == Walked::Done) break;
    }
}

// Calls the function for each attribute of a message after its fixed header.
template <class Each>
void forEachAttribute(const nlmsghdr* message, std::size_t headerSize, Each each) {
    auto callback = [](const nlattr* attribute, void* data) -> int {
        (*static_cast<Each*>(data))(attribute);
        return MNL_CB_OK;
    };
    mnl_attr_parse(message, static_cast<unsigned int>(headerSize), callback, &each);
}

// Calls the function for each attribute of a run of attributes, stopping
// at the first one that does not fit.
template <class Each>
void forEachAttributeIn(const void* begin, std::size_t length, Each each) {
    auto callback = [](const nlattr* attribute, void* data) -> int {
        (*static_cast<Each*>(data))(attribute);
        return MNL_CB_OK;
    };
    mnl_attr_parse_payload(begin, length, callback, &each);
}

bool holds(const nlattr* attribute, std::size_t size) { return mnl_attr_get_payload_len(attribute) >= size; }

std::string ipv4Text(const nlattr* attribute) {
    std::array<char, INET_ADDRSTRLEN> text{};
    inet_ntop(AF_INET, mnl_attr_get_payload(attribute), text.data(), text.size());
    return text.data();
}

std::string stringOf(const nlattr* attribute) {
    return mnl_attr_validate(attribute, MNL_TYPE_NUL_STRING) >= 0 ? mnl_attr_get_str(attribute) : std::string();
}

Link readLink(const nlmsghdr* message) {
    const auto* header = static_cast<const ifinfomsg*>(mnl_nlmsg_get_payload(message));
    Link link;
    link.index = static_cast<std::uint32_t>(header->ifi_index);
    link.hardwareType = header->ifi_type;
    link.flags = header->ifi_flags;
    forEachAttribute(message, sizeof(ifinfomsg), [&](const nlattr* attribute) {
        switch (mnl_attr_get_type(attribute)) {
        case IFLA_IFNAME:
            link.name = stringOf(attribute);
            break;
        case IFLA_ADDRESS: {
            const auto* bytes = static_cast<const std::uint8_t*>(mnl_attr_get_payload(attribute));
            link.hardwareAddress.assign(bytes, bytes + mnl_attr_get_payload_len(attribute));
            break;
        }
        case IFLA_LINKINFO:
            mnl_attr_parse_nested(
                attribute,
                [](const nlattr* info, void* data) -> int {
                    if (mnl_attr_get_type(info) == IFLA_INFO_KIND) *static_cast<std::string*>(data) = stringOf(info);
                    return MNL_CB_OK;
                },
                &link.kind);
            break;
        default:
            break;
        }
    });
    return link;
}

std::optional<Ipv4Address> readAddress(const nlmsghdr* message) {
    const auto* header = static_cast<const ifaddrmsg*>(mnl_nlmsg_get_payload(message));
    if (header->ifa_family != AF_INET) return std::nullopt;
    std::string local;
    std::string address;
    forEachAttribute(message, sizeof(ifaddrmsg), [&](const nlattr* attribute) {
        if (!holds(attribute, sizeof(in_addr))) return;
        if (mnl_attr_get_type(attribute) == IFA_LOCAL) local = ipv4Text(attribute);
        if (mnl_attr_get_type(attribute) == IFA_ADDRESS) address = ipv4Text(attribute);
    });
    // On a point-to-point link IFA_ADDRESS is the far end; the own address
    // is IFA_LOCAL whenever the kernel gives one.
    std::string own = local.empty() ? address : local;
    if (own.empty()) return std::nullopt;
    return Ipv4Address{header->ifa_index, std::move(own), header->ifa_prefixlen};
}

// The hops of RTA_MULTIPATH: a sequence of rtnexthop, each followed by
// attributes of its own.
void readHops(const nlattr* multipath, std::vector<NextHop>& hops) {
    const auto* bytes = static_cast<const char*>(mnl_attr_get_payload(multipath));
    std::size_t left = mnl_attr_get_payload_len(multipath);
    while (left >= sizeof(rtnexthop)) {
        const auto* hop = reinterpret_cast<const rtnexthop*>(bytes);
        if (hop->rtnh_len < sizeof(rtnexthop) || hop->rtnh_len > left) break;
        NextHop next{static_cast<std::uint32_t>(hop->rtnh_ifindex), {}, hop->rtnh_flags};
        forEachAttributeIn(bytes + RTNH_ALIGN(sizeof(rtnexthop)), hop->rtnh_len - RTNH_ALIGN(sizeof(rtnexthop)),
                           [&](const nlattr* attribute) {
                               if (mnl_attr_get_type(attribute) == RTA_GATEWAY && holds(attribute, sizeof(in_addr)))
                                   next.gateway = ipv4Text(attribute);
                           });
        hops.push_back(std::move(next));
        const std::size_t step = RTNH_ALIGN(hop->rtnh_len);
        if (step >= left) break;
        bytes += step;
        left -= step;
    }
}

std::optional<Ipv4Route> readRoute(const nlmsghdr* message) {
    const auto* header = static_cast<const rtmsg*>(mnl_nlmsg_get_payload(message));
    if (header->rtm_family != AF_INET) return std::nullopt;
    Ipv4Route route;
    route.table = header->rtm_table;
    route.type = header->rtm_type;
    route.destinationLength = header->rtm_dst_len;
    std::optional<std::uint32_t> outIndex;
    std::string gateway;
    forEachAttribute(message, sizeof(rtmsg), [&](const nlattr* attribute) {
        switch (mnl_attr_get_type(attribute)) {
        case RTA_TABLE:
            if (holds(attribute, sizeof(std::uint32_t))) route.table = mnl_attr_get_u32(attribute);
            break;
        case RTA_DST:
            if (holds(attribute, sizeof(in_addr))) route.destination = ipv4Text(attribute);
            break;
        case RTA_PRIORITY:
            if (holds(attribute, sizeof(std::uint32_t))) route.metric = mnl_attr_get_u32(attribute);
            break;
        case RTA_OIF:
            if (holds(attribute, sizeof(std::uint32_t))) outIndex = mnl_attr_get_u32(attribute);
            break;
        case RTA_GATEWAY:
            if (holds(attribute, sizeof(in_addr))) gateway = ipv4Text(attribute);
            break;
        case RTA_MULTIPATH:
            readHops(attribute, route.hops);
            break;
        default:
            break;
        }
    });
    // A single-path route carries its next hop in the route itself, and the
    // next hop's flags (dead, linkdown) in the route's flags.
    if (outIndex) route.hops.insert(route.hops.begin(), NextHop{*outIndex, std::move(gateway), header->rtm_flags});
    return route;
}

// One message of a dump, into the table it belongs to.
void readMessage(const nlmsghdr* message, Tables& tables) {
    switch (message->nlmsg_type) {
    case RTM_NEWLINK:
        if (message->nlmsg_len >= NLMSG_LENGTH(sizeof(ifinfomsg))) tables.links.push_back(readLink(message));
        break;
    case RTM_NEWADDR:
        if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg))) break;
        if (auto address = readAddress(message)) tables.addresses.push_back(std::move(*address));
        break;
    case RTM_NEWROUTE:
        if (message->nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg))) break;
        if (auto route = readRoute(message)) tables.routes.push_back(std::move(*route));
        break;
    default:
        break;
    }
}

Tables readOnce() {
    const Socket socket = openSocket();
    Tables tables;
    unsigned int seq = 1;
    constexpr std::uint8_t anyFamily = AF_UNSPEC;
    const auto into = [&tables](const nlmsghdr* message) { readMessage(message, tables); };
    dump(socket.get(), RTM_GETLINK, anyFamily, sizeof(ifinfomsg), seq++, into);
    dump(socket.get(), RTM_GETADDR, AF_INET, sizeof(ifaddrmsg), seq++, into);
    dump(socket.get(), RTM_GETROUTE, AF_INET, sizeof(rtmsg), seq++, into);
    return tables;
}

}  // namespace

bool Ipv4Route::isMainDefault() const {
    return destinationLength == 0 && type == RTN_UNICAST && table == RT_TABLE_MAIN;
}

bool readAnswer(const void* bytes, std::size_t length, Tables& tables) {
    try {
        // Sequence and port 0: any message is taken, as from any dump.
        walkAnswer(static_cast<const char*>(bytes), length, 0, 0,
                   [&tables](const nlmsghdr* message) { readMessage(message, tables); });
        return true;
    } catch (const std::system_error&) {
        return false;
    } catch (const Interrupted&) {
        return false;
    }
}

Tables readTables() {
    // An interrupted dump may have missed or doubled entries; a fresh one
    // after the change is complete.
    constexpr int attempts = 5;
    for (int attempt = 1;; ++attempt) {
        try {
            return readOnce();
        } catch (const Interrupted&) {
            if (attempt == attempts) throwErrno(EAGAIN, "netlink dump kept changing");
        }
    }
}

}  // namespace platform::gnulinux::rtnetlink
