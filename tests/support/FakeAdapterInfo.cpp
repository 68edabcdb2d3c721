#include "tests/support/FakeAdapterInfo.h"

#include <cstring>
#include <optional>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace testing_support {

using adapters::IP_ADAPTER_INFO;
using adapters::IP_ADDR_STRING;

namespace {

template <std::size_t N>
void put(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

std::size_t extraElements(const FakeAdapter& adapter) {
    std::size_t extra = 0;
    if (adapter.addresses.size() > 1) extra += adapter.addresses.size() - 1;
    if (adapter.gateways.size() > 1) extra += adapter.gateways.size() - 1;
    return extra;
}

// Writes a list: the head in place, the rest at `spill`, linked in order.
void putList(IP_ADDR_STRING& head, const std::vector<std::string>& items, std::byte*& spill) {
    put(head.IpAddress.String, items.empty() ? std::string() : items[0]);
    head.Next = items.size() > 1 ? reinterpret_cast<IP_ADDR_STRING*>(spill) : nullptr;
    for (std::size_t k = 1; k < items.size(); ++k) {
        IP_ADDR_STRING element{};
        put(element.IpAddress.String, items[k]);
        std::byte* at = spill;
        spill += sizeof element;
        element.Next = k + 1 < items.size() ? reinterpret_cast<IP_ADDR_STRING*>(spill) : nullptr;
        std::memcpy(at, &element, sizeof element);
    }
}

}  // namespace

std::uint32_t FakeAdapterInfo::neededSize() const {
    std::size_t size = adapters.size() * sizeof(IP_ADAPTER_INFO);
    for (const FakeAdapter& adapter : adapters) size += extraElements(adapter) * sizeof(IP_ADDR_STRING);
    return static_cast<std::uint32_t>(size);
}

std::uint32_t FakeAdapterInfo::GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) {
    const int call = calls++;
    if (buffer) buffers.push_back(buffer);
    beforeCall(call);
    if (call < static_cast<int>(script.size()) && script[static_cast<std::size_t>(call)]) {
        const Answer answer = *script[static_cast<std::size_t>(call)];
        if (answer.result == adapters::ERROR_BUFFER_OVERFLOW) size = neededSize();
        lastError_ = answer.lastError;
        return answer.result;
    }
    if (adapters.empty()) {
        lastError_ = static_cast<std::int32_t>(adapters::ERROR_NO_DATA);
        return adapters::ERROR_NO_DATA;
    }
    const std::uint32_t needed = neededSize();
    if (!buffer || size < needed) {
        size = needed;
        lastError_ = static_cast<std::int32_t>(adapters::ERROR_BUFFER_OVERFLOW);
        return adapters::ERROR_BUFFER_OVERFLOW;
    }
    fill(buffer);
    lastError_ = 0;
    return adapters::NO_ERROR_;
}

void FakeAdapterInfo::fill(std::byte* buffer) const {
    std::byte* spill = buffer + adapters.size() * sizeof(IP_ADAPTER_INFO);
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const FakeAdapter& adapter = adapters[i];
        IP_ADAPTER_INFO entry{};
        entry.Next = i + 1 < adapters.size()
                         ? reinterpret_cast<IP_ADAPTER_INFO*>(buffer + (i + 1) * sizeof(IP_ADAPTER_INFO))
                         : nullptr;
        entry.ComboIndex = adapter.index;
        entry.Index = adapter.index;
        put(entry.AdapterName, adapter.name);
        put(entry.Description, adapter.description);
        putList(entry.IpAddressList, adapter.addresses, spill);
        putList(entry.GatewayList, adapter.gateways, spill);
        tamper(entry);
        std::memcpy(buffer + i * sizeof(IP_ADAPTER_INFO), &entry, sizeof entry);
    }
}

ReleaseCheck checkReleased(const void* address) {
#if defined(__SANITIZE_ADDRESS__)
    return {true, __asan_address_is_poisoned(address) != 0};
#else
    (void)address;
    return {};
#endif
}

}  // namespace testing_support
