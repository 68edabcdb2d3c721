// The real adapter list, read inside network namespaces built here and
// compared with what iproute2 reports for the same namespace.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "adapters/GetAdaptsInfo.h"
#include "platform/linux/LinuxAdapterInfo.h"
#include "tests/support/Netns.h"
#include "toolkit/Error.h"

using namespace adapters;
using namespace platform::gnulinux;
using testing_support::capture;
using testing_support::enterNetns;
using testing_support::Netns;
using testing_support::shell;

namespace {

// Runs the work on a thread of its own that has joined the namespace.
void insideNetns(const Netns& ns, const std::function<void()>& work) {
    std::thread thread([&] {
        ASSERT_TRUE(enterNetns(ns.name())) << "cannot enter " << ns.name();
        work();
    });
    thread.join();
}

// Adds a dummy interface; where the kernel has no dummy driver a bridge,
// which is just as self-contained, stands in. Answers the description expected.
std::string addDummy(const Netns& ns, const std::string& name) {
    if (shell("ip -n " + ns.name() + " link add " + name + " type dummy 2>/dev/null") == 0) return "Dummy interface";
    ns.ip("link add " + name + " type bridge");
    return "Bridge";
}

struct Expected {
    QString name;
    std::int32_t index = 0;
    QString ip = QStringLiteral("0.0.0.0");
    QString gateway = QStringLiteral("0.0.0.0");
};

// What `ip -j addr` and `ip -j route` say, in the shape of the records.
std::vector<Expected> fromIproute(const Netns& ns) {
    const QJsonArray links =
        QJsonDocument::fromJson(QByteArray::fromStdString(capture("ip -n " + ns.name() + " -j addr"))).array();
    const QJsonArray routes =
        QJsonDocument::fromJson(QByteArray::fromStdString(capture("ip -n " + ns.name() + " -j route"))).array();
    std::vector<Expected> expected;
    for (const QJsonValue& value : links) {
        const QJsonObject link = value.toObject();
        if (link["link_type"].toString() == "loopback") continue;
        Expected e;
        e.name = link["ifname"].toString();
        e.index = link["ifindex"].toInt();
        for (const QJsonValue& address : link["addr_info"].toArray()) {
            if (address.toObject()["family"].toString() != "inet") continue;
            e.ip = address.toObject()["local"].toString();
            break;
        }
        for (const QJsonValue& route : routes) {
            const QJsonObject r = route.toObject();
            if (r["dst"].toString() == "default" && r["dev"].toString() == e.name && r.contains("gateway")) {
                e.gateway = r["gateway"].toString();
                break;
            }
        }
        expected.push_back(e);
    }
    std::sort(expected.begin(), expected.end(), [](const Expected& a, const Expected& b) { return a.index < b.index; });
    return expected;
}

struct RealAdapterList : ::testing::Test {
    void SetUp() override { LUMENFOLD_SKIP_WITHOUT_NETNS(); }
};

TEST_F(RealAdapterList, MatchesIprouteForTheSameNamespace) {
    Netns ns("adp");
    // A veth pair inside the namespace: one end with an address and the
    // default route, the other up without any address.
    ns.ip("link add lfv0 type veth peer name lfv1");
    ns.ip("addr add 10.81.0.1/24 dev lfv0");
    ns.ip("link set lfv0 up");
    ns.ip("link set lfv1 up");
    ns.ip("route add default via 10.81.0.254 dev lfv0");
    // A dummy with two addresses and a second default route of its own.
    const std::string dummyKind = addDummy(ns, "lfd0");
    ns.ip("addr add 10.82.0.1/24 dev lfd0");
    ns.ip("addr add 10.82.0.2/24 dev lfd0");
    ns.ip("link set lfd0 up");
    ns.ip("route add default via 10.82.0.254 dev lfd0 metric 200");
    // One that is down, with an address.
    addDummy(ns, "lfd1");
    ns.ip("addr add 10.83.0.1/24 dev lfd1");
    // A bridge, up, with an address but no gateway.
    ns.ip("link add lfbr0 type bridge");
    ns.ip("addr add 10.84.0.1/16 dev lfbr0");
    ns.ip("link set lfbr0 up");

    const std::vector<Expected> expected = fromIproute(ns);
    ASSERT_EQ(expected.size(), 5u);

    LinuxAdapterInfo service;
    std::vector<AdapterRecord> records;
    std::int32_t count = -1;
    insideNetns(ns, [&] { count = GetAdaptsInfo::ListAdapters(service, records); });

    ASSERT_EQ(count, 5);
    ASSERT_EQ(records.size(), 5u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name.toStdString());
        EXPECT_EQ(records[i].Name, expected[i].name);
        EXPECT_EQ(records[i].Index, expected[i].index);
        EXPECT_EQ(records[i].IP, expected[i].ip);
        EXPECT_EQ(records[i].GatewayIP, expected[i].gateway);
    }
    auto record = [&](const char* name) {
        const auto found = std::find_if(records.begin(), records.end(),
                                        [&](const AdapterRecord& r) { return r.Name == QLatin1String(name); });
        return found == records.end() ? AdapterRecord{} : *found;
    };
    // The points iproute2 is compared on, spelled out as well.
    EXPECT_EQ(record("lfv0").GatewayIP, "10.81.0.254");
    EXPECT_EQ(record("lfv1").IP, "0.0.0.0");
    EXPECT_EQ(record("lfv1").GatewayIP, "0.0.0.0");
    EXPECT_EQ(record("lfd0").IP, "10.82.0.1");
    EXPECT_EQ(record("lfd0").GatewayIP, "10.82.0.254");
    EXPECT_EQ(record("lfd1").IP, "10.83.0.1");
    EXPECT_EQ(record("lfd1").GatewayIP, "0.0.0.0");
    EXPECT_EQ(record("lfv0").Description, "Virtual Ethernet pair (veth)");
    EXPECT_EQ(record("lfd0").Description, QString::fromStdString(dummyKind));
    EXPECT_EQ(record("lfbr0").Description, "Bridge");
}

TEST_F(RealAdapterList, KeepsTheTwoCallContract) {
    Netns ns("adpc");
    addDummy(ns, "lfc0");
    ns.ip("addr add 10.85.0.1/24 dev lfc0");
    ns.ip("addr add 10.85.0.2/24 dev lfc0");
    ns.ip("addr add 10.85.0.3/24 dev lfc0");
    addDummy(ns, "lfc1");

    insideNetns(ns, [&] {
        LinuxAdapterInfo service;
        std::uint32_t size = 0;
        ASSERT_EQ(service.GetAdaptersInfo(nullptr, size), ERROR_BUFFER_OVERFLOW);
        EXPECT_EQ(service.GetLastError(), 111);
        // Two entries and the two further addresses of the first.
        EXPECT_EQ(size, 2 * sizeof(IP_ADAPTER_INFO) + 2 * sizeof(IP_ADDR_STRING));

        // No buffer but a size claimed large enough is a bad parameter.
        std::uint32_t claimed = size;
        EXPECT_EQ(service.GetAdaptersInfo(nullptr, claimed), ERROR_INVALID_PARAMETER);

        std::vector<std::byte> small(size - 1);
        std::uint32_t smallSize = static_cast<std::uint32_t>(small.size());
        EXPECT_EQ(service.GetAdaptersInfo(small.data(), smallSize), ERROR_BUFFER_OVERFLOW);
        EXPECT_EQ(smallSize, size);

        std::vector<std::byte> buffer(size);
        ASSERT_EQ(service.GetAdaptersInfo(buffer.data(), size), NO_ERROR_);
        EXPECT_EQ(service.GetLastError(), 0);
        const auto* first = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
        const auto* second = first->Next;
        const std::byte* begin = buffer.data();
        const std::byte* end = begin + buffer.size();
        ASSERT_EQ(reinterpret_cast<const std::byte*>(second), begin + sizeof(IP_ADAPTER_INFO));
        EXPECT_EQ(second->Next, nullptr);
        EXPECT_STREQ(first->AdapterName, "lfc0");
        EXPECT_STREQ(second->AdapterName, "lfc1");
        // The address list goes on inside the same buffer, in the kernel's order.
        std::vector<std::string> addresses;
        for (const IP_ADDR_STRING* a = &first->IpAddressList; a; a = a->Next) {
            if (a != &first->IpAddressList) {
                const auto* at = reinterpret_cast<const std::byte*>(a);
                ASSERT_TRUE(at >= begin && at + sizeof *a <= end);
            }
            addresses.emplace_back(a->IpAddress.String);
            EXPECT_STREQ(a->IpMask.String, "255.255.255.0");
        }
        EXPECT_EQ(addresses, (std::vector<std::string>{"10.85.0.1", "10.85.0.2", "10.85.0.3"}));
        EXPECT_STREQ(second->IpAddressList.IpAddress.String, "0.0.0.0");
        EXPECT_EQ(second->IpAddressList.Next, nullptr);
        EXPECT_STREQ(first->GatewayList.IpAddress.String, "0.0.0.0");

        // Another thread has a last error of its own.
        std::int32_t otherThreads = -1;
        std::thread([&] { otherThreads = service.GetLastError(); }).join();
        EXPECT_EQ(otherThreads, 0);
        std::uint32_t again = 0;
        service.GetAdaptersInfo(nullptr, again);
        std::thread([&] { otherThreads = service.GetLastError(); }).join();
        EXPECT_EQ(otherThreads, 0);
        EXPECT_EQ(service.GetLastError(), 111);
    });
}

TEST_F(RealAdapterList, NamespaceWithOnlyLoopbackHasNoAdapter) {
    Netns ns("adpe");
    insideNetns(ns, [&] {
        LinuxAdapterInfo service;
        std::uint32_t size = 0;
        EXPECT_EQ(service.GetAdaptersInfo(nullptr, size), ERROR_NO_DATA);
        std::vector<AdapterRecord> records(2);
        EXPECT_EQ(GetAdaptsInfo::ListAdapters(service, records), 0);
        EXPECT_EQ(records.size(), 2u);
    });
}

// Passes the calls through to the real list, running a step between them.
class Interposed : public AdapterInfoApi {
public:
    Interposed(AdapterInfoApi& real, std::function<void()> between) : real_(real), between_(std::move(between)) {}
    std::uint32_t GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) override {
        if (calls_++ == 1) between_();
        return real_.GetAdaptersInfo(buffer, size);
    }
    std::int32_t GetLastError() const override { return real_.GetLastError(); }

private:
    AdapterInfoApi& real_;
    std::function<void()> between_;
    int calls_ = 0;
};

TEST_F(RealAdapterList, AdapterAddedBetweenTheCallsIsALateOverflow) {
    Netns ns("adpr");
    addDummy(ns, "lfr0");
    insideNetns(ns, [&] {
        LinuxAdapterInfo real;
        Interposed service(real, [&] { addDummy(ns, "lfr1"); });
        std::vector<AdapterRecord> records;
        try {
            GetAdaptsInfo::ListAdapters(service, records);
            FAIL() << "no error raised";
        } catch (const toolkit::Error& e) {
            EXPECT_EQ(e.number(), adapter_errors::LateBufferOverflow);
        }
        EXPECT_TRUE(records.empty());
    });
}

TEST(DescribeInterface, NamesKindAndDriver) {
    InterfaceFacts nic;
    nic.hardwareType = 1;  // ARPHRD_ETHER
    nic.driver = "virtio_net";
    EXPECT_EQ(describeInterface(nic), "Ethernet adapter (virtio_net)");
    nic.wireless = true;
    nic.driver = "iwlwifi";
    EXPECT_EQ(describeInterface(nic), "Wireless adapter (iwlwifi)");
    InterfaceFacts veth;
    veth.kind = "veth";
    EXPECT_EQ(describeInterface(veth), "Virtual Ethernet pair (veth)");
    InterfaceFacts unknown;
    unknown.kind = "batadv";
    EXPECT_EQ(describeInterface(unknown), "Virtual interface (batadv)");
}

}  // namespace
