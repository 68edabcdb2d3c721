// The enumeration over a fake platform: both calls, the error table, the
// walk over linked entries and what happens to the caller's array.
#include <gtest/gtest.h>

#include <cstring>

#include "adapters/GetAdaptsInfo.h"
#include "tests/support/FakeAdapterInfo.h"
#include "toolkit/Error.h"

using namespace adapters;
using testing_support::checkReleased;
using testing_support::FakeAdapter;
using testing_support::FakeAdapterInfo;

namespace {

const std::vector<AdapterRecord> kEarlier = {
    {QStringLiteral("old0"), 7, QStringLiteral("1.1.1.1"), QStringLiteral("old"), QStringLiteral("2.2.2.2")},
    {QStringLiteral("old1"), 8, QStringLiteral("3.3.3.3"), QStringLiteral("old"), QStringLiteral("4.4.4.4")},
};

FakeAdapter adapter(const std::string& name, std::uint32_t index, const std::string& ip = "10.0.0.1",
                    const std::string& gateway = "10.0.0.254") {
    return {name, index, "Ethernet adapter (" + name + ")", {ip}, {gateway}};
}

void expectBuffersReleased(const FakeAdapterInfo& fake) {
    for (const std::byte* buffer : fake.buffers) {
        const auto check = checkReleased(buffer);
        if (check.known) {
            EXPECT_TRUE(check.released) << "the enumeration buffer was not given back";
        }
    }
}

struct ErrorRow {
    const char* name;
    std::optional<FakeAdapterInfo::Answer> first;
    std::optional<FakeAdapterInfo::Answer> second;
    std::int32_t number;
    std::int64_t signedDecimal;
    std::string description;
};

class ErrorTable : public ::testing::TestWithParam<ErrorRow> {};

TEST_P(ErrorTable, RaisesTheNumberedErrorAndLeavesTheArrayAlone) {
    const ErrorRow& row = GetParam();
    FakeAdapterInfo fake;
    fake.adapters = {adapter("eth0", 2)};
    fake.script = {row.first, row.second};
    std::vector<AdapterRecord> records = kEarlier;

    try {
        GetAdaptsInfo::ListAdapters(fake, records);
        FAIL() << "no error raised";
    } catch (const toolkit::Error& e) {
        EXPECT_EQ(e.number(), row.number);
        EXPECT_EQ(e.number(), row.signedDecimal);
        EXPECT_EQ(e.source(), "GetAdaptersInfo");
        EXPECT_EQ(e.description(), row.description);
    }
    EXPECT_EQ(records, kEarlier);
    // No retry after a failing second call, and no second call after a
    // failing first one.
    EXPECT_EQ(fake.calls, row.second ? 2 : 1);
    expectBuffersReleased(fake);
}

using A = FakeAdapterInfo::Answer;
INSTANTIATE_TEST_SUITE_P(
    GetAdaptersInfo, ErrorTable,
    ::testing::Values(
        ErrorRow{"FirstSucceeds", A{0, 0}, {}, adapter_errors::EarlySuccess, -2147174656,
                 "GetAdaptersInfo Early Success: internal error"},
        ErrorRow{"FirstNotSupported", A{50, 50}, {}, adapter_errors::NotSupported, -2147174640,
                 "GetAdaptersInfo is not supported by this OS"},
        ErrorRow{"FirstBadParameters", A{87, 87}, {}, adapter_errors::BadParameters, -2147174624,
                 "GetAdaptersInfo Bad Parameters: internal error"},
        ErrorRow{"SecondNotSupported", {}, A{50, 50}, adapter_errors::LateNotSupported, -2147174608,
                 "GetAdaptersInfo Late Failure: is not supported by this OS"},
        ErrorRow{"SecondBadParameters", {}, A{87, 87}, adapter_errors::LateBadParameters, -2147174592,
                 "GetAdaptersInfo Late Failure, Bad Parameters: internal error"},
        ErrorRow{"SecondOverflows", {}, A{111, 111}, adapter_errors::LateBufferOverflow, -2147174576,
                 "GetAdaptersInfo Late Failure: buffer overflow"},
        // 232 on the second call is a failure, not a count of 0, and the
        // description quotes the recorded last error, not the result code.
        ErrorRow{"SecondNoData", {}, A{232, 1359}, adapter_errors::LateSystemError, -2147174560,
                 "GetAdaptersInfo Late Failure: system error 1359"},
        ErrorRow{"SecondOtherNegativeLastError", {}, A{31, -5}, adapter_errors::LateSystemError, -2147174560,
                 "GetAdaptersInfo Late Failure: system error -5"},
        ErrorRow{"FirstOther", A{8, 14}, {}, adapter_errors::SystemError, -2147174544,
                 "GetAdaptersInfo system error 14"},
        ErrorRow{"FirstOtherNegativeLastError", A{8, -2147467259}, {}, adapter_errors::SystemError, -2147174544,
                 "GetAdaptersInfo system error -2147467259"}),
    [](const ::testing::TestParamInfo<ErrorRow>& row) { return std::string(row.param.name); });

TEST(ListAdapters, NoAdapterAnswersZeroAndLeavesTheArrayAlone) {
    FakeAdapterInfo fake;  // lists nothing: 232 on the first call
    std::vector<AdapterRecord> records = kEarlier;
    EXPECT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 0);
    EXPECT_EQ(records, kEarlier);
    EXPECT_EQ(fake.calls, 1);
}

TEST(ListAdapters, ListThatGrowsBetweenTheCallsIsALateOverflow) {
    FakeAdapterInfo fake;
    fake.adapters = {adapter("eth0", 2)};
    fake.beforeCall = [&](int call) {
        if (call == 1) fake.adapters.push_back(adapter("eth1", 3));
    };
    std::vector<AdapterRecord> records = kEarlier;
    try {
        GetAdaptsInfo::ListAdapters(fake, records);
        FAIL() << "no error raised";
    } catch (const toolkit::Error& e) {
        EXPECT_EQ(e.number(), adapter_errors::LateBufferOverflow);
        EXPECT_EQ(e.description(), "GetAdaptersInfo Late Failure: buffer overflow");
    }
    EXPECT_EQ(fake.calls, 2);
    EXPECT_EQ(records, kEarlier);
    expectBuffersReleased(fake);
}

TEST(ListAdapters, OneEntryFillsEveryFieldAndCutsTheArrayDown) {
    FakeAdapterInfo fake;
    fake.adapters = {{"enp1s0", 2, "Ethernet adapter (virtio_net)", {"192.168.0.10"}, {"192.168.0.1"}}};
    std::vector<AdapterRecord> records = kEarlier;
    ASSERT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (AdapterRecord{QStringLiteral("enp1s0"), 2, QStringLiteral("192.168.0.10"),
                                         QStringLiteral("Ethernet adapter (virtio_net)"),
                                         QStringLiteral("192.168.0.1")}));
    EXPECT_EQ(fake.calls, 2);
    expectBuffersReleased(fake);
}

TEST(ListAdapters, ThreeEntriesInListOrderIntoAnArrayTooSmall) {
    FakeAdapterInfo fake;
    // List order, not index order, decides the place in the array.
    fake.adapters = {adapter("b", 9, "10.0.0.9"), adapter("a", 3, "10.0.0.3"), adapter("c", 5, "10.0.0.5")};
    std::vector<AdapterRecord> records(1);
    ASSERT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Name, "b");
    EXPECT_EQ(records[1].Name, "a");
    EXPECT_EQ(records[2].Name, "c");
    EXPECT_EQ(records[1].Index, 3);
    EXPECT_EQ(records[2].IP, "10.0.0.5");
    expectBuffersReleased(fake);
}

TEST(ListAdapters, SeveralAddressesAndGatewaysGiveOnlyTheFirst) {
    FakeAdapterInfo fake;
    fake.adapters = {{"eth0", 2, "Ethernet adapter (e1000e)", {"10.0.0.1", "10.0.0.2"}, {"10.0.0.254", "10.0.0.253"}},
                     adapter("eth1", 3, "10.1.0.1", "10.1.0.254")};
    std::vector<AdapterRecord> records;
    ASSERT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 2);
    EXPECT_EQ(records[0].IP, "10.0.0.1");
    EXPECT_EQ(records[0].GatewayIP, "10.0.0.254");
    // The further elements sit between the entries' ends and do not disturb the walk.
    EXPECT_EQ(records[1].Name, "eth1");
    EXPECT_EQ(records[1].IP, "10.1.0.1");
}

TEST(ListAdapters, IndexIsTakenBitForBit) {
    FakeAdapterInfo fake;
    fake.adapters = {adapter("weird", 0xFFFFFFFEu), adapter("top", 0x80000000u)};
    std::vector<AdapterRecord> records;
    ASSERT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 2);
    EXPECT_EQ(records[0].Index, -2);
    EXPECT_EQ(records[1].Index, INT32_MIN);
}

TEST(ListAdapters, EmptyTextsStayEmpty) {
    FakeAdapterInfo fake;
    fake.adapters = {{"", 4, "", {}, {}}};
    std::vector<AdapterRecord> records;
    ASSERT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 1);
    EXPECT_EQ(records[0], (AdapterRecord{QString(), 4, QString(), QString(), QString()}));
}

// A field filled to its last byte has no NUL to cut at: the whole field is
// the text, where the cut would otherwise fail and end the application.
TEST(ListAdapters, FieldsWithoutNulAreTakenWhole) {
    FakeAdapterInfo fake;
    fake.adapters = {adapter("eth0", 2), adapter("eth1", 3)};
    fake.tamper = [](IP_ADAPTER_INFO& entry) {
        if (entry.Index != 2) return;
        std::memset(entry.AdapterName, 'n', sizeof entry.AdapterName);
        std::memset(entry.Description, 'd', sizeof entry.Description);
        std::memcpy(entry.IpAddressList.IpAddress.String, "255.255.255.2551", 16);
        std::memcpy(entry.GatewayList.IpAddress.String, "100.100.100.1001", 16);
    };
    std::vector<AdapterRecord> records;
    ASSERT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 2);
    EXPECT_EQ(records[0].Name, QString(260, u'n'));
    EXPECT_EQ(records[0].Description, QString(132, u'd'));
    EXPECT_EQ(records[0].IP, "255.255.255.2551");
    EXPECT_EQ(records[0].GatewayIP, "100.100.100.1001");
    EXPECT_EQ(records[1].Name, "eth1");
    expectBuffersReleased(fake);
}

TEST(ListAdapters, TextAfterTheFirstNulIsDropped) {
    FakeAdapterInfo fake;
    fake.adapters = {adapter("eth0", 2)};
    fake.tamper = [](IP_ADAPTER_INFO& entry) { std::memcpy(entry.AdapterName, "ab\0cd", 6); };
    std::vector<AdapterRecord> records;
    ASSERT_EQ(GetAdaptsInfo::ListAdapters(fake, records), 1);
    EXPECT_EQ(records[0].Name, "ab");
}

// A platform whose links leave the buffer (or loop) must not lead the walk
// into memory that is not the buffer's.
TEST(ListAdapters, LinkOutsideTheBufferIsAnErrorNotAWildRead) {
    for (const bool loop : {false, true}) {
        FakeAdapterInfo fake;
        fake.adapters = {adapter("eth0", 2), adapter("eth1", 3)};
        IP_ADAPTER_INFO outside{};
        std::byte* firstEntry = nullptr;
        fake.tamper = [&](IP_ADAPTER_INFO& entry) {
            if (entry.Index != 3) return;
            entry.Next = loop ? reinterpret_cast<IP_ADAPTER_INFO*>(firstEntry) : &outside;
        };
        fake.beforeCall = [&](int) {
            if (!fake.buffers.empty()) firstEntry = const_cast<std::byte*>(fake.buffers.back());
        };
        std::vector<AdapterRecord> records;
        try {
            GetAdaptsInfo::ListAdapters(fake, records);
            FAIL() << "no error raised";
        } catch (const toolkit::Error& e) {
            EXPECT_EQ(e.source(), "GetAdaptersInfo");
            EXPECT_EQ(e.number(), toolkit::errors::InternalError);
        }
        expectBuffersReleased(fake);
    }
}

TEST(TrimAtNull, CutsAtTheFirstNulOrKeepsTheWholeText) {
    using GetAdaptsInfo::TrimAtNull;
    EXPECT_EQ(TrimAtNull(QString()), QString());
    EXPECT_EQ(TrimAtNull(QString(QChar(u'\0')) + "abc"), QString());
    EXPECT_EQ(TrimAtNull(QStringLiteral("ab") + QChar(u'\0') + "c" + QChar(u'\0')), "ab");
    EXPECT_EQ(TrimAtNull(QStringLiteral("abc")), "abc");
}

}  // namespace
