// The local-address read against what iproute2 reports for the same
// network namespace, which each test builds for itself.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "platform/linux/NetlinkLocalIp.h"
#include "tests/support/Netns.h"
#include "toolkit/Waiter.h"

using testing_support::Netns;

namespace {

// The read, made from a thread that lives in the namespace, through a
// waiter whose worker it starts (the worker shares the namespace).
std::string localIpIn(const Netns& ns) {
    std::promise<std::string> result;
    std::thread reader([&] {
        if (!testing_support::enterNetns(ns.name())) {
            result.set_value("cannot enter " + ns.name());
            return;
        }
        try {
            toolkit::Waiter waiter;
            platform::gnulinux::NetlinkLocalIp winsock(waiter);
            result.set_value(winsock.LocalIP());
        } catch (const std::exception& e) {
            result.set_value(std::string("raised: ") + e.what());
        }
    });
    reader.join();
    return result.get_future().get();
}

class LocalIp : public ::testing::Test {
protected:
    void SetUp() override {
        LUMENFOLD_SKIP_WITHOUT_NETNS();
    }

    // A veth pair inside the namespace; the first end is made after its
    // peer, and each pair after the previous one, so ends come in the
    // interface order of their creation.
    static std::string pair(const Netns& ns, int n) {
        const std::string end = "e" + std::to_string(n);
        ns.ip("link add x" + std::to_string(n) + " type veth peer name " + end);
        return end;
    }

    void expectAnswer(const Netns& ns, const std::string& address) {
        EXPECT_EQ(testing_support::expectedLocalIp(ns), address) << "the scenario is not what the test meant";
        EXPECT_EQ(localIpIn(ns), address);
    }
};

}  // namespace

TEST_F(LocalIp, OnlyLoopbackGivesTheLoopbackAddress) {
    Netns ns("lip");
    expectAnswer(ns, "127.0.0.1");
    // Even with loopback down and a second loopback address.
    ns.ip("addr add 127.0.0.2/8 dev lo");
    ns.ip("link set lo down");
    expectAnswer(ns, "127.0.0.1");
}

TEST_F(LocalIp, WithoutDefaultRouteTheFirstUpInterfaceAnswers) {
    Netns ns("lip");
    const std::string e1 = pair(ns, 1), e2 = pair(ns, 2);
    ns.ip("addr add 10.1.0.5/24 dev " + e1);
    ns.ip("addr add 10.2.0.7/24 dev " + e2);
    // Down interfaces do not count, whatever their addresses.
    expectAnswer(ns, "127.0.0.1");
    ns.ip("link set " + e2 + " up");
    expectAnswer(ns, "10.2.0.7");
    ns.ip("link set " + e1 + " up");
    expectAnswer(ns, "10.1.0.5");
}

TEST_F(LocalIp, TheDefaultRouteInterfaceWinsOverInterfaceOrder) {
    Netns ns("lip");
    const std::string e1 = pair(ns, 1), e2 = pair(ns, 2);
    ns.ip("addr add 10.1.0.5/24 dev " + e1);
    ns.ip("addr add 10.2.0.7/24 dev " + e2);
    for (const char* link : {"x1", "x2"}) ns.ip(std::string("link set ") + link + " up");
    ns.ip("link set " + e1 + " up");
    ns.ip("link set " + e2 + " up");
    ns.ip("route add default via 10.2.0.1 dev " + e2 + " metric 100");
    expectAnswer(ns, "10.2.0.7");

    // The primary address, not a later one on the same interface.
    ns.ip("addr add 10.2.0.99/24 dev " + e2);
    expectAnswer(ns, "10.2.0.7");

    // Of two default routes, the one with the lower metric.
    ns.ip("route add default via 10.1.0.1 dev " + e1 + " metric 50");
    expectAnswer(ns, "10.1.0.5");
    ns.ip("route del default via 10.1.0.1 dev " + e1 + " metric 50");
    expectAnswer(ns, "10.2.0.7");

    // A default route in another table is not the machine's default route.
    ns.ip("route del default via 10.2.0.1 dev " + e2 + " metric 100");
    ns.ip("route add default via 10.2.0.1 dev " + e2 + " table 100");
    expectAnswer(ns, "10.1.0.5");
}

TEST_F(LocalIp, ADefaultRouteWithoutCarrierDoesNotCount) {
    Netns ns("lip");
    const std::string e1 = pair(ns, 1), e2 = pair(ns, 2);
    ns.ip("addr add 10.1.0.5/24 dev " + e1);
    ns.ip("addr add 10.2.0.7/24 dev " + e2);
    ns.ip("link set x1 up");
    ns.ip("link set " + e1 + " up");
    // e2 is up, its peer is not: no carrier, the route is marked linkdown.
    ns.ip("link set " + e2 + " up");
    ns.ip("route add default via 10.2.0.1 dev " + e2);
    const std::string route = "ip -n " + ns.name() + " route show default dev " + e2;
    ASSERT_NE(testing_support::capture(route).find("linkdown"), std::string::npos);
    expectAnswer(ns, "10.1.0.5");
    ns.ip("link set x2 up");
    // The carrier comes a moment after the peer is up: wait until the
    // kernel no longer marks the route linkdown, as the read would see it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (testing_support::capture(route).find("linkdown") != std::string::npos) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the carrier never came on " << e2;
        std::this_thread::yield();
    }
    expectAnswer(ns, "10.2.0.7");
}
