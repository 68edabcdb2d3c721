#include "platform/linux/LinuxAdapterInfo.h"

#include <arpa/inet.h>
#include <linux/ethtool.h>
#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>
#include <unordered_map>

#include "adapters/AdapterBuffer.h"
#include "platform/linux/Rtnetlink.h"

namespace platform::gnulinux {

// This file fills the adapter service's own structures throughout.
using adapters::ERROR_BUFFER_OVERFLOW;
using adapters::ERROR_GEN_FAILURE;
using adapters::ERROR_INVALID_PARAMETER;
using adapters::ERROR_NO_DATA;
using adapters::ERROR_NOT_SUPPORTED;
using adapters::IF_TYPE_IEEE80211;
using adapters::IF_TYPE_TUNNEL;
using adapters::MIB_IF_TYPE_ETHERNET;
using adapters::MIB_IF_TYPE_LOOPBACK;
using adapters::MIB_IF_TYPE_OTHER;
using adapters::MIB_IF_TYPE_PPP;
using adapters::NO_ERROR_;

namespace {

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

std::string maskText(unsigned prefixLength) {
    const std::uint32_t mask = prefixLength == 0 ? 0u : ~0u << (32 - std::min(prefixLength, 32u));
    const std::uint32_t network = htonl(mask);
    std::array<char, INET_ADDRSTRLEN> text{};
    inet_ntop(AF_INET, &network, text.data(), text.size());
    return text.data();
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

}  // namespace

std::vector<InterfaceFacts> readInterfaces() {
    const rtnetlink::Tables tables = rtnetlink::readTables();
    std::vector<InterfaceFacts> interfaces;
    std::unordered_map<std::uint32_t, std::size_t> byIndex;
    for (const rtnetlink::Link& link : tables.links) {
        InterfaceFacts facts;
        facts.index = link.index;
        facts.name = link.name;
        facts.kind = link.kind;
        facts.hardwareType = link.hardwareType;
        facts.loopback = (link.flags & IFF_LOOPBACK) != 0 || link.hardwareType == ARPHRD_LOOPBACK;
        facts.hardwareAddress = link.hardwareAddress;
        byIndex[facts.index] = interfaces.size();
        interfaces.push_back(std::move(facts));
    }
    for (const rtnetlink::Ipv4Address& address : tables.addresses) {
        const auto found = byIndex.find(address.interfaceIndex);
        if (found != byIndex.end())
            interfaces[found->second].addresses.push_back({address.address, maskText(address.prefixLength)});
    }
    // The gateways of the default routes, whether or not the link has a
    // carrier at the moment: the adapter still has its gateway.
    for (const rtnetlink::Ipv4Route& route : tables.routes) {
        if (!route.isMainDefault()) continue;
        for (const rtnetlink::NextHop& hop : route.hops) {
            const auto found = byIndex.find(hop.interfaceIndex);
            if (!hop.gateway.empty() && found != byIndex.end())
                interfaces[found->second].gateways.push_back(hop.gateway);
        }
    }

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
        const bool unsupported =
            e.code() == std::errc::address_family_not_supported || e.code() == std::errc::protocol_not_supported;
        return unsupported ? ERROR_NOT_SUPPORTED : ERROR_GEN_FAILURE;
    }
    std::erase_if(interfaces, [](const InterfaceFacts& facts) { return facts.loopback; });
    if (interfaces.empty()) {
        setLastError(static_cast<std::int32_t>(ERROR_NO_DATA));
        return ERROR_NO_DATA;
    }

    std::vector<adapters::AdapterEntry> entries;
    entries.reserve(interfaces.size());
    for (const InterfaceFacts& facts : interfaces) {
        adapters::AdapterEntry& entry = entries.emplace_back();
        entry.name = facts.name;
        entry.description = describeInterface(facts);
        entry.index = facts.index;
        entry.type = adapterType(facts);
        entry.hardwareAddress = facts.hardwareAddress;
        for (const auto& address : facts.addresses) entry.addresses.emplace_back(address.address, address.mask);
        if (entry.addresses.empty()) entry.addresses.emplace_back("0.0.0.0", "0.0.0.0");
        for (const auto& gateway : facts.gateways) entry.gateways.emplace_back(gateway, "255.255.255.255");
        if (entry.gateways.empty()) entry.gateways.emplace_back("0.0.0.0", "0.0.0.0");
    }

    const std::size_t needed = adapters::adapterBufferSize(entries);
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
    adapters::writeAdapterBuffer(entries, buffer);
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

}  // namespace platform::gnulinux
