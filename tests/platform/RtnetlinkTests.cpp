// The shared rtnetlink reading, in a namespace built here with iproute2,
// against what iproute2 set up. The local-address and adapter
// tests cover the rules on top; these cover what those tests cannot see:
// multipath hops, the local end of a point-to-point address, and routes
// outside the main table.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <linux/rtnetlink.h>
#include <net/if.h>

#include <algorithm>
#include <thread>

#include "platform/linux/Rtnetlink.h"
#include "tests/support/Netns.h"

using testing_support::Netns;

namespace {

platform::gnulinux::rtnetlink::Tables readIn(const Netns& ns) {
    platform::gnulinux::rtnetlink::Tables tables;
    std::thread reader([&] {
        ASSERT_TRUE(testing_support::enterNetns(ns.name()));
        tables = platform::gnulinux::rtnetlink::readTables();
    });
    reader.join();
    return tables;
}

std::uint32_t indexOf(const Netns& ns, const std::string& name) {
    const QJsonArray links = QJsonDocument::fromJson(QByteArray::fromStdString(
                                                         testing_support::capture("ip -n " + ns.name() + " -j link show " + name)))
                                 .array();
    return links.isEmpty() ? 0 : static_cast<std::uint32_t>(links[0].toObject()["ifindex"].toInt());
}

}  // namespace

TEST(Rtnetlink, ReadsLinksAddressesAndRoutesOfEveryTable) {
    LUMENFOLD_SKIP_WITHOUT_NETNS();

    Netns ns("rtnl");
    ns.ip("link add x1 type veth peer name e1");
    ns.ip("link add x2 type veth peer name e2");
    ns.ip("addr add 10.1.0.5/24 dev e1");
    ns.ip("addr add 10.2.0.7/24 dev e2");
    // Point-to-point: the own end is 10.9.0.1, the peer 10.9.0.2.
    ns.ip("addr add 10.9.0.1 peer 10.9.0.2 dev x1");
    ns.ip("link set x1 up");
    ns.ip("link set e1 up");
    ns.ip("link set e2 up");  // its peer stays down: no carrier
    ns.ip("route add default nexthop via 10.1.0.1 dev e1 nexthop via 10.2.0.1 dev e2");
    ns.ip("route add 10.50.0.0/16 via 10.1.0.1 dev e1 table 100 metric 7");

    const platform::gnulinux::rtnetlink::Tables tables = readIn(ns);
    const std::uint32_t e1 = indexOf(ns, "e1"), e2 = indexOf(ns, "e2"), x1 = indexOf(ns, "x1");
    ASSERT_NE(e1, 0u);

    const auto link = std::find_if(tables.links.begin(), tables.links.end(),
                                   [&](const platform::gnulinux::rtnetlink::Link& l) { return l.name == "e1"; });
    ASSERT_NE(link, tables.links.end());
    EXPECT_EQ(link->index, e1);
    EXPECT_EQ(link->kind, "veth");
    EXPECT_TRUE(link->flags & IFF_UP);
    EXPECT_EQ(link->hardwareAddress.size(), 6u);
    EXPECT_EQ(tables.links.size(), 5u);  // lo, x1, e1, x2, e2

    std::vector<std::tuple<std::uint32_t, std::string, unsigned>> addresses;
    for (const auto& a : tables.addresses) addresses.emplace_back(a.interfaceIndex, a.address, a.prefixLength);
    EXPECT_EQ(addresses.size(), 4u);
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), std::tuple{x1, std::string("10.9.0.1"), 32u}),
              addresses.end());
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), std::tuple{e2, std::string("10.2.0.7"), 24u}),
              addresses.end());

    std::vector<platform::gnulinux::rtnetlink::Ipv4Route> defaults;
    std::copy_if(tables.routes.begin(), tables.routes.end(), std::back_inserter(defaults),
                 [](const platform::gnulinux::rtnetlink::Ipv4Route& r) { return r.isMainDefault(); });
    ASSERT_EQ(defaults.size(), 1u);
    ASSERT_EQ(defaults[0].hops.size(), 2u);
    EXPECT_EQ(defaults[0].hops[0].interfaceIndex, e1);
    EXPECT_EQ(defaults[0].hops[0].gateway, "10.1.0.1");
    EXPECT_FALSE(defaults[0].hops[0].flags & RTNH_F_LINKDOWN);
    EXPECT_EQ(defaults[0].hops[1].interfaceIndex, e2);
    EXPECT_EQ(defaults[0].hops[1].gateway, "10.2.0.1");
    EXPECT_TRUE(defaults[0].hops[1].flags & RTNH_F_LINKDOWN);

    const auto other = std::find_if(tables.routes.begin(), tables.routes.end(),
                                    [](const platform::gnulinux::rtnetlink::Ipv4Route& r) { return r.table == 100; });
    ASSERT_NE(other, tables.routes.end());
    EXPECT_EQ(other->destination, "10.50.0.0");
    EXPECT_EQ(other->destinationLength, 16u);
    EXPECT_EQ(other->metric, 7u);
    ASSERT_EQ(other->hops.size(), 1u);
    EXPECT_EQ(other->hops[0].interfaceIndex, e1);
    EXPECT_EQ(other->hops[0].gateway, "10.1.0.1");
    // The connected route of e2 is in the main table, not a default route,
    // and is marked as having no carrier on the single hop.
    const auto connected = std::find_if(tables.routes.begin(), tables.routes.end(), [](const platform::gnulinux::rtnetlink::Ipv4Route& r) {
        return r.table == RT_TABLE_MAIN && r.destination == "10.2.0.0";
    });
    ASSERT_NE(connected, tables.routes.end());
    EXPECT_EQ(connected->destinationLength, 24u);
    ASSERT_EQ(connected->hops.size(), 1u);
    EXPECT_TRUE(connected->hops[0].gateway.empty());
    EXPECT_TRUE(connected->hops[0].flags & RTNH_F_LINKDOWN);
}
