#pragma once

// The one reading of the kernel's network tables over rtnetlink: links,
// IPv4 addresses and IPv4 routes, as plain values. The rules built on top
// (which address is "the" local one, which gateway an adapter shows) belong
// to the callers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::gnulinux::rtnetlink {

struct Link {
    std::uint32_t index = 0;
    std::string name;
    std::string kind;                // the link kind ("veth", "bridge"...), empty for hardware
    std::uint16_t hardwareType = 0;  // ARPHRD_*
    std::uint32_t flags = 0;         // IFF_*
    std::vector<std::uint8_t> hardwareAddress;
};

struct Ipv4Address {
    std::uint32_t interfaceIndex = 0;
    // The interface's own address, dotted quad. On a point-to-point link this
    // is the local end, not the peer.
    std::string address;
    unsigned prefixLength = 0;
};

struct NextHop {
    std::uint32_t interfaceIndex = 0;
    std::string gateway;      // dotted quad, empty for a directly connected route
    std::uint32_t flags = 0;  // RTNH_F_* (the route's own flags for a single-path route)
};

struct Ipv4Route {
    std::uint32_t table = 0;         // RT_TABLE_*, or the number of another table
    std::uint8_t type = 0;           // RTN_*
    std::string destination;         // dotted quad, empty for the default route
    unsigned destinationLength = 0;  // prefix length, 0 for the default route
    std::uint32_t metric = 0;        // RTA_PRIORITY, 0 when the kernel gives none
    // The single next hop, or each hop of a multipath route; empty when the
    // route names no interface.
    std::vector<NextHop> hops;

    // A unicast default route of the main table: what `ip route` calls
    // "default".
    bool isMainDefault() const;
};

struct Tables {
    std::vector<Link> links;             // in the kernel's order
    std::vector<Ipv4Address> addresses;  // in the kernel's order
    std::vector<Ipv4Route> routes;       // of every table, in the kernel's order
};

// Adds what one answer of the kernel holds to the tables: the netlink
// messages in `length` bytes, each link, IPv4 address or IPv4 route message
// read as readTables reads it, anything else skipped. Reads only what lies
// inside the bytes, whatever the messages claim. Answers false at a message
// that does not fit or is an error, true at the end of a dump or of the bytes.
bool readAnswer(const void* bytes, std::size_t length, Tables& tables);

// Reads the three tables of the calling thread's network namespace. A dump
// that a concurrent change interrupts is read again, a few times at most.
// Throws std::system_error when the kernel cannot be asked.
Tables readTables();

}  // namespace platform::gnulinux::rtnetlink
