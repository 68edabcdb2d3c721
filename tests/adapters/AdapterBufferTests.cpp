// The adapter list's buffer as both the Linux service and the tests' fake
// lay it out: what GetAdaptersInfo's caller walks must stay inside it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "adapters/AdapterBuffer.h"
#include "adapters/AdapterInfoApi.h"

namespace {

using adapters::AdapterEntry;
using adapters::IP_ADAPTER_INFO;
using adapters::IP_ADDR_STRING;

// The texts of a list, walked from its head, each link checked to lie inside
// the buffer on an element's boundary past the entries.
std::vector<std::string> walk(const IP_ADDR_STRING& head, const std::vector<std::byte>& buffer,
                              std::size_t entries) {
    std::vector<std::string> texts;
    const IP_ADDR_STRING* element = &head;
    const std::byte* spill = buffer.data() + entries * sizeof(IP_ADAPTER_INFO);
    while (element) {
        texts.emplace_back(element->IpAddress.String);
        const auto* next = reinterpret_cast<const std::byte*>(element->Next);
        if (next == nullptr) break;
        const std::ptrdiff_t offset = next - spill;
        EXPECT_GE(offset, 0);
        EXPECT_LE(next + sizeof(IP_ADDR_STRING), buffer.data() + buffer.size());
        EXPECT_EQ(offset % static_cast<std::ptrdiff_t>(sizeof(IP_ADDR_STRING)), 0);
        if (offset < 0 || next + sizeof(IP_ADDR_STRING) > buffer.data() + buffer.size()) break;
        element = element->Next;
    }
    return texts;
}

TEST(AdapterBuffer, EveryChainStaysInsideTheBufferInOrderAndTextsAreCutWithTheirNul) {
    std::vector<AdapterEntry> entries(3);
    entries[0].name = std::string(400, 'n');  // longer than its field
    entries[0].addresses = {{"10.0.0.1", "255.0.0.0"}, {"10.0.0.2", "255.0.0.0"}, {"10.0.0.3", "255.0.0.0"}};
    entries[0].gateways = {{"10.0.0.254", "255.255.255.255"}, {"10.0.0.253", "255.255.255.255"}};
    entries[1].name = "second";  // no list at all: both heads stay empty
    entries[2].name = "third";
    entries[2].hardwareAddress = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // longer than the field
    entries[2].addresses = {{"192.168.1.5", "255.255.255.0"}};
    entries[2].gateways = {{"192.168.1.1", "255.255.255.255"}, {"192.168.1.2", "255.255.255.255"}};

    const std::size_t size = adapters::adapterBufferSize(entries);
    ASSERT_EQ(size, 3 * sizeof(IP_ADAPTER_INFO) + 4 * sizeof(IP_ADDR_STRING));
    // Aligned as the caller's allocation would be; filled with garbage first.
    std::vector<std::byte> buffer(size, std::byte{0xAB});
    adapters::writeAdapterBuffer(entries, buffer.data());

    std::vector<IP_ADAPTER_INFO> read(3);
    std::memcpy(read.data(), buffer.data(), 3 * sizeof(IP_ADAPTER_INFO));
    EXPECT_EQ(reinterpret_cast<const std::byte*>(read[0].Next), buffer.data() + sizeof(IP_ADAPTER_INFO));
    EXPECT_EQ(reinterpret_cast<const std::byte*>(read[1].Next), buffer.data() + 2 * sizeof(IP_ADAPTER_INFO));
    EXPECT_EQ(read[2].Next, nullptr);

    EXPECT_EQ(std::string(read[0].AdapterName), std::string(sizeof read[0].AdapterName - 1, 'n'));
    EXPECT_EQ(walk(read[0].IpAddressList, buffer, 3), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    EXPECT_EQ(walk(read[0].GatewayList, buffer, 3), (std::vector<std::string>{"10.0.0.254", "10.0.0.253"}));
    EXPECT_EQ(walk(read[1].IpAddressList, buffer, 3), (std::vector<std::string>{""}));
    EXPECT_EQ(walk(read[1].GatewayList, buffer, 3), (std::vector<std::string>{""}));
    EXPECT_EQ(read[2].AddressLength, adapters::MAX_ADAPTER_ADDRESS_LENGTH);
    EXPECT_EQ(walk(read[2].IpAddressList, buffer, 3), (std::vector<std::string>{"192.168.1.5"}));
    EXPECT_EQ(walk(read[2].GatewayList, buffer, 3), (std::vector<std::string>{"192.168.1.1", "192.168.1.2"}));
}

}  // namespace
