#include "platform/linux/LinuxAdapterInfo.h"

#include <arpa/inet.h>
#include <libmnl/libmnl.h>
#include <linux/ethtool.h>
#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/rtnetlink.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <system_error>
#include <unordered_map>

namespace adapters {

namespace {

[[noreturn]] void throwErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

struct SocketCloser {
    void operator()(mnl_socket* socket) const { mnl_socket_close(socket); }
};
using NetlinkSocket = std::unique_ptr<mnl_socket, SocketCloser>;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

NetlinkSocket openNetlink() {
    NetlinkSocket socket(mnl_socket_open2(NETLINK_ROUTE, SOCK_CLOEXEC));
    if (!socket) throwErrno("netlink socket");
    if (mnl_socket_bind(socket.get(), 0, MNL_SOCKET_AUTOPID) < 0) throwErrno("netlink bind");
    return socket;
}

using MessageHandler = std::function<void(const nlmsghdr*)>;

// Sends one dump request and hands each answer to the handler until the
// kernel says the dump is done.
void dump(mnl_socket* socket, std::uint16_t type, std::uint8_t family, std::size_t headerSize,
          unsigned int seq, const MessageHandler& handler, bool skipStats = false) {
    alignas(nlmsghdr) std::array<char, 256> request{};
    nlmsghdr* header = mnl_nlmsg_put_header(request.data());
    header->nlmsg_type = type;
    header->nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    header->nlmsg_seq = seq;
    // ifinfomsg, ifaddrmsg and rtmsg all begin with the address family.
    auto* extra = static_cast<std::uint8_t*>(mnl_nlmsg_put_extra_header(header, headerSize));
    extra[0] = family;
    if (skipStats) mnl_attr_put_u32(header, IFLA_EXT_MASK, RTEXT_FILTER_SKIP_STATS);
    if (mnl_socket_sendto(socket, header, header->nlmsg_len) < 0) throwErrno("netlink send");

    const unsigned int portId = mnl_socket_get_portid(socket);
    // Large reads: a dump of a thousand links comes in far fewer pieces.
    std::vector<char> answer(1u << 16);
    auto callback = [](const nlmsghdr* message, void* data) -> int {
        (*static_cast<const MessageHandler*>(data))(message);
        return MNL_CB_OK;
    };
    for (;;) {
        const ssize_t received = mnl_socket_recvfrom(socket, answer.data(), answer.size());
        if (received < 0) throwErrno("netlink receive");
        const int run = mnl_cb_run(answer.data(), static_cast<std::size_t>(received), seq, portId, callback,
                                   const_cast<MessageHandler*>(&handler));
        if (run == MNL_CB_ERROR) throwErrno("netlink dump");
        if (run == MNL_CB_STOP) return;
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

template <class Each>
void forEachNested(const nlattr* nest, Each each) {
    auto callback = [](const nlattr* attribute, void* data) -> int {
        (*static_cast<Each*>(data))(attribute);
        return MNL_CB_OK;
    };
    mnl_attr_parse_nested(nest, callback, &each);
}

std::string ipv4Text(const void* address) {
    std::array<char, INET_ADDRSTRLEN> text{};
    inet_ntop(AF_INET, address, text.data(), text.size());
    return text.data();
}

std::string maskText(unsigned prefixLength) {
    const std::uint32_t mask = prefixLength == 0 ? 0u : ~0u << (32 - std::min(prefixLength, 32u));
    const std::uint32_t network = htonl(mask);
    return ipv4Text(&network);
}

bool holdsIpv4(const nlattr* attribute) {
    return mnl_attr_get_payload_len(attribute) >= sizeof(in_addr);
}

std::string driverOf(int socket, const std::string& name) {
    ethtool_drvinfo info{};
    info.cmd = ETHTOOL_GDRVINFO;
    ifreq request{};
    std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
    request.ifr_data = reinterpret_cast<char*>(&info);
    if (ioctl(socket, SIOCETHTOOL, &request) < 0) return {};
    info.driver[sizeof info.driver - 1] = '\0';
    return info.driver;
}

// sysfs shows the namespace it was mounted in, which need not be the
// calling thread's: trust it only when it names the same interface.
bool sysfsIsWireless(const InterfaceFacts& facts) {
    const std::filesystem::path dir = std::filesystem::path("/sys/class/net") / facts.name;
    std::ifstream ifindex(dir / "ifindex");
    std::uint32_t index = 0;
    if (!(ifindex >> index) || index != facts.index) return false;
    std::error_code ignored;
    return std::filesystem::exists(dir / "wireless", ignored) || std::filesystem::exists(dir / "phy80211", ignored);
}

std::uint32_t adapterType(const InterfaceFacts& facts) {
    switch (facts.hardwareType) {
    case ARPHRD_ETHER:
        return facts.wireless ? IF_TYPE_IEEE80211 : MIB_IF_TYPE_ETHERNET;
    case ARPHRD_PPP:
        return MIB_IF_TYPE_PPP;
    case ARPHRD_LOOPBACK:
        return MIB_IF_TYPE_LOOPBACK;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_IPGRE:
    case ARPHRD_SIT:
    case ARPHRD_NONE:
        return IF_TYPE_TUNNEL;
    default:
        return MIB_IF_TYPE_OTHER;
    }
}

template <std::size_t N>
void putText(char (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
}

void putAddress(IP_ADDR_STRING& element, const std::string& address, const std::string& mask) {
    putText(element.IpAddress.String, address);
    putText(element.IpMask.String, mask);
}

using AddressAndMask = std::pair<std::string, std::string>;

// Fills a list head from the first item and writes the further items at
// `spill`, each linked to the next, the last one ending the list.
void putList(IP_ADDR_STRING& head, const std::vector<AddressAndMask>& items, std::byte*& spill) {
    putAddress(head, items[0].first, items[0].second);
    head.Next = items.size() > 1 ? reinterpret_cast<IP_ADDR_STRING*>(spill) : nullptr;
    for (std::size_t k = 1; k < items.size(); ++k) {
        IP_ADDR_STRING element{};
        putAddress(element, items[k].first, items[k].second);
        std::byte* at = spill;
        spill += sizeof(IP_ADDR_STRING);
        element.Next = k + 1 < items.size() ? reinterpret_cast<IP_ADDR_STRING*>(spill) : nullptr;
        std::memcpy(at, &element, sizeof element);
    }
}

}  // namespace

std::vector<InterfaceFacts> readInterfaces() {
    NetlinkSocket socket = openNetlink();
    std::vector<InterfaceFacts> interfaces;
    std::unordered_map<std::uint32_t, std::size_t> byIndex;
    unsigned int seq = 1;

    constexpr std::uint8_t anyFamily = 0;
    dump(socket.get(), RTM_GETLINK, anyFamily, sizeof(ifinfomsg), seq++, [&](const nlmsghdr* message) {
        if (message->nlmsg_type != RTM_NEWLINK) return;
        const auto* link = static_cast<const ifinfomsg*>(mnl_nlmsg_get_payload(message));
        InterfaceFacts facts;
        facts.index = static_cast<std::uint32_t>(link->ifi_index);
        facts.hardwareType = link->ifi_type;
        facts.loopback = (link->ifi_flags & IFF_LOOPBACK) != 0 || link->ifi_type == ARPHRD_LOOPBACK;
        forEachAttribute(message, sizeof(ifinfomsg), [&](const nlattr* attribute) {
            switch (mnl_attr_get_type(attribute)) {
            case IFLA_IFNAME:
                if (mnl_attr_validate(attribute, MNL_TYPE_NUL_STRING) >= 0)
                    facts.name = mnl_attr_get_str(attribute);
                break;
            case IFLA_ADDRESS: {
                const auto* bytes = static_cast<const std::uint8_t*>(mnl_attr_get_payload(attribute));
                facts.hardwareAddress.assign(bytes, bytes + mnl_attr_get_payload_len(attribute));
                break;
            }
            case IFLA_LINKINFO:
                forEachNested(attribute, [&](const nlattr* info) {
                    if (mnl_attr_get_type(info) == IFLA_INFO_KIND &&
                        mnl_attr_validate(info, MNL_TYPE_NUL_STRING) >= 0)
                        facts.kind = mnl_attr_get_str(info);
                });
                break;
            default:
                break;
            }
        });
        byIndex[facts.index] = interfaces.size();
        interfaces.push_back(std::move(facts));
    }, true);

    dump(socket.get(), RTM_GETADDR, AF_INET, sizeof(ifaddrmsg), seq++, [&](const nlmsghdr* message) {
        if (message->nlmsg_type != RTM_NEWADDR) return;
        const auto* address = static_cast<const ifaddrmsg*>(mnl_nlmsg_get_payload(message));
        if (address->ifa_family != AF_INET) return;
        const auto found = byIndex.find(address->ifa_index);
        if (found == byIndex.end()) return;
        std::string local;
        std::string peer;
        forEachAttribute(message, sizeof(ifaddrmsg), [&](const nlattr* attribute) {
            if (!holdsIpv4(attribute)) return;
            if (mnl_attr_get_type(attribute) == IFA_LOCAL) local = ipv4Text(mnl_attr_get_payload(attribute));
            if (mnl_attr_get_type(attribute) == IFA_ADDRESS) peer = ipv4Text(mnl_attr_get_payload(attribute));
        });
        // On a point-to-point link IFA_ADDRESS is the far end; the own
        // address is IFA_LOCAL whenever the kernel gives one.
        const std::string& own = local.empty() ? peer : local;
        if (!own.empty())
            interfaces[found->second].addresses.push_back({own, maskText(address->ifa_prefixlen)});
    });

    dump(socket.get(), RTM_GETROUTE, AF_INET, sizeof(rtmsg), seq++, [&](const nlmsghdr* message) {
        if (message->nlmsg_type != RTM_NEWROUTE) return;
        const auto* route = static_cast<const rtmsg*>(mnl_nlmsg_get_payload(message));
        if (route->rtm_family != AF_INET || route->rtm_dst_len != 0 || route->rtm_type != RTN_UNICAST) return;
        std::uint32_t table = route->rtm_table;
        std::uint32_t outIndex = 0;
        std::string gateway;
        std::vector<std::pair<std::uint32_t, std::string>> hops;
        forEachAttribute(message, sizeof(rtmsg), [&](const nlattr* attribute) {
            switch (mnl_attr_get_type(attribute)) {
            case RTA_TABLE:
                if (mnl_attr_get_payload_len(attribute) >= sizeof(std::uint32_t)) table = mnl_attr_get_u32(attribute);
                break;
            case RTA_OIF:
                if (mnl_attr_get_payload_len(attribute) >= sizeof(std::uint32_t))
                    outIndex = mnl_attr_get_u32(attribute);
                break;
            case RTA_GATEWAY:
                if (holdsIpv4(attribute)) gateway = ipv4Text(mnl_attr_get_payload(attribute));
                break;
            case RTA_MULTIPATH: {
                // A sequence of next hops, each with its own nested attributes.
                const auto* bytes = static_cast<const char*>(mnl_attr_get_payload(attribute));
                std::size_t left = mnl_attr_get_payload_len(attribute);
                while (left >= sizeof(rtnexthop)) {
                    const auto* hop = reinterpret_cast<const rtnexthop*>(bytes);
                    if (hop->rtnh_len < sizeof(rtnexthop) || hop->rtnh_len > left) break;
                    std::string hopGateway;
                    const char* at = bytes + RTNH_ALIGN(sizeof(rtnexthop));
                    const char* end = bytes + hop->rtnh_len;
                    while (at + sizeof(nlattr) <= end) {
                        const auto* inner = reinterpret_cast<const nlattr*>(at);
                        if (inner->nla_len < sizeof(nlattr) || at + inner->nla_len > end) break;
                        if (mnl_attr_get_type(inner) == RTA_GATEWAY && holdsIpv4(inner))
                            hopGateway = ipv4Text(mnl_attr_get_payload(inner));
                        at += MNL_ALIGN(inner->nla_len);
                    }
                    if (!hopGateway.empty())
                        hops.emplace_back(static_cast<std::uint32_t>(hop->rtnh_ifindex), hopGateway);
                    const std::size_t step = RTNH_ALIGN(hop->rtnh_len);
                    if (step >= left) break;
                    bytes += step;
                    left -= step;
                }
                break;
            }
            default:
                break;
            }
        });
        if (table != RT_TABLE_MAIN) return;
        if (!gateway.empty() && outIndex != 0) hops.emplace(hops.begin(), outIndex, gateway);
        for (const auto& [index, hopGateway] : hops) {
            const auto found = byIndex.find(index);
            if (found != byIndex.end()) interfaces[found->second].gateways.push_back(hopGateway);
        }
    });

    std::sort(interfaces.begin(), interfaces.end(),
              [](const InterfaceFacts& a, const InterfaceFacts& b) { return a.index < b.index; });

    // The driver's name comes from the device itself, through a socket that
    // lives in the same namespace as the netlink one.
    const FileDescriptor ethtool(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    for (InterfaceFacts& facts : interfaces) {
        if (facts.loopback) continue;
        if (ethtool.get() >= 0) facts.driver = driverOf(ethtool.get(), facts.name);
        if (facts.kind.empty() && facts.hardwareType == ARPHRD_ETHER) facts.wireless = sysfsIsWireless(facts);
    }
    return interfaces;
}

std::string describeInterface(const InterfaceFacts& facts) {
    static const std::unordered_map<std::string, std::string> kinds = {
        {"veth", "Virtual Ethernet pair (veth)"},
        {"bridge", "Bridge"},
        {"dummy", "Dummy interface"},
        {"bond", "Bonded interface (bonding)"},
        {"team", "Team interface (team)"},
        {"vlan", "VLAN interface (802.1Q)"},
        {"macvlan", "MAC VLAN interface (macvlan)"},
        {"macvtap", "MAC VLAN tap (macvtap)"},
        {"ipvlan", "IP VLAN interface (ipvlan)"},
        {"vxlan", "VXLAN tunnel (vxlan)"},
        {"geneve", "Geneve tunnel (geneve)"},
        {"gre", "GRE tunnel (gre)"},
        {"gretap", "GRE Ethernet tunnel (gretap)"},
        {"ipip", "IP-in-IP tunnel (ipip)"},
        {"sit", "IPv6-in-IPv4 tunnel (sit)"},
        {"ip6tnl", "IPv6 tunnel (ip6tnl)"},
        {"tun", "TUN/TAP adapter (tun)"},
        {"wireguard", "WireGuard tunnel (wireguard)"},
        {"ifb", "Intermediate functional block (ifb)"},
        {"vrf", "VRF device (vrf)"},
        {"vcan", "Virtual CAN interface (vcan)"},
    };
    if (!facts.kind.empty()) {
        const auto known = kinds.find(facts.kind);
        return known != kinds.end() ? known->second : "Virtual interface (" + facts.kind + ")";
    }
    std::string device;
    switch (facts.hardwareType) {
    case ARPHRD_ETHER:
        device = facts.wireless ? "Wireless adapter" : "Ethernet adapter";
        break;
    case ARPHRD_PPP:
        device = "PPP adapter";
        break;
    case ARPHRD_INFINIBAND:
        device = "InfiniBand adapter";
        break;
    case ARPHRD_CAN:
        device = "CAN adapter";
        break;
    case ARPHRD_NONE:
        device = "Point-to-point interface";
        break;
    default:
        device = "Network adapter";
        break;
    }
    return facts.driver.empty() ? device : device + " (" + facts.driver + ")";
}

std::uint32_t LinuxAdapterInfo::GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) {
    std::vector<InterfaceFacts> interfaces;
    try {
        interfaces = readInterfaces();
    } catch (const std::system_error& e) {
        setLastError(e.code().value());
        const bool unsupported = e.code() == std::errc::address_family_not_supported ||
                                 e.code() == std::errc::protocol_not_supported;
        return unsupported ? ERROR_NOT_SUPPORTED : ERROR_GEN_FAILURE;
    }
    std::erase_if(interfaces, [](const InterfaceFacts& facts) { return facts.loopback; });
    if (interfaces.empty()) {
        setLastError(static_cast<std::int32_t>(ERROR_NO_DATA));
        return ERROR_NO_DATA;
    }

    // Entries first, then the further address and gateway elements.
    std::size_t extras = 0;
    for (const InterfaceFacts& facts : interfaces) {
        if (facts.addresses.size() > 1) extras += facts.addresses.size() - 1;
        if (facts.gateways.size() > 1) extras += facts.gateways.size() - 1;
    }
    const std::size_t needed = interfaces.size() * sizeof(IP_ADAPTER_INFO) + extras * sizeof(IP_ADDR_STRING);
    if (needed > std::numeric_limits<std::uint32_t>::max()) {
        setLastError(static_cast<std::int32_t>(ERROR_GEN_FAILURE));
        return ERROR_GEN_FAILURE;
    }
    if (buffer == nullptr && size >= needed) {
        setLastError(static_cast<std::int32_t>(ERROR_INVALID_PARAMETER));
        return ERROR_INVALID_PARAMETER;
    }
    if (buffer == nullptr || size < needed) {
        size = static_cast<std::uint32_t>(needed);
        setLastError(static_cast<std::int32_t>(ERROR_BUFFER_OVERFLOW));
        return ERROR_BUFFER_OVERFLOW;
    }

    std::byte* spill = buffer + interfaces.size() * sizeof(IP_ADAPTER_INFO);
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        const InterfaceFacts& facts = interfaces[i];
        IP_ADAPTER_INFO entry{};
        entry.Next = i + 1 < interfaces.size()
                         ? reinterpret_cast<IP_ADAPTER_INFO*>(buffer + (i + 1) * sizeof(IP_ADAPTER_INFO))
                         : nullptr;
        entry.ComboIndex = facts.index;
        putText(entry.AdapterName, facts.name);
        putText(entry.Description, describeInterface(facts));
        entry.AddressLength = static_cast<std::uint32_t>(std::min(facts.hardwareAddress.size(), MAX_ADAPTER_ADDRESS_LENGTH));
        std::copy_n(facts.hardwareAddress.begin(), entry.AddressLength, entry.Address);
        entry.Index = facts.index;
        entry.Type = adapterType(facts);
        std::vector<AddressAndMask> addresses;
        for (const auto& address : facts.addresses) addresses.emplace_back(address.address, address.mask);
        if (addresses.empty()) addresses.emplace_back("0.0.0.0", "0.0.0.0");
        putList(entry.IpAddressList, addresses, spill);
        std::vector<AddressAndMask> gateways;
        for (const auto& gateway : facts.gateways) gateways.emplace_back(gateway, "255.255.255.255");
        if (gateways.empty()) gateways.emplace_back("0.0.0.0", "0.0.0.0");
        putList(entry.GatewayList, gateways, spill);
        putAddress(entry.DhcpServer, "", "");
        std::memcpy(buffer + i * sizeof(IP_ADAPTER_INFO), &entry, sizeof entry);
    }
    setLastError(0);
    return NO_ERROR_;
}

std::int32_t LinuxAdapterInfo::GetLastError() const {
    const std::lock_guard lock(mutex_);
    const auto found = lastError_.find(std::this_thread::get_id());
    return found == lastError_.end() ? 0 : found->second;
}

void LinuxAdapterInfo::setLastError(std::int32_t code) {
    const std::lock_guard lock(mutex_);
    lastError_[std::this_thread::get_id()] = code;
}

}  // namespace adapters
