#include "tests/support/FakeAdapterInfo.h"

#include <cstring>
#include <optional>

#include "adapters/AdapterBuffer.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace testing_support {

using adapters::IP_ADAPTER_INFO;

namespace {

std::vector<adapters::AdapterEntry> entriesOf(const std::vector<FakeAdapter>& adapters) {
    std::vector<adapters::AdapterEntry> entries;
    for (const FakeAdapter& adapter : adapters) {
        adapters::AdapterEntry& entry = entries.emplace_back();
        entry.name = adapter.name;
        entry.description = adapter.description;
        entry.index = adapter.index;
        for (const std::string& address : adapter.addresses) entry.addresses.emplace_back(address, "");
        for (const std::string& gateway : adapter.gateways) entry.gateways.emplace_back(gateway, "");
    }
    return entries;
}

}  // namespace

std::uint32_t FakeAdapterInfo::neededSize() const {
    return static_cast<std::uint32_t>(adapters::adapterBufferSize(entriesOf(adapters)));
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
    adapters::writeAdapterBuffer(entriesOf(adapters), buffer);
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        IP_ADAPTER_INFO entry{};
        std::memcpy(&entry, buffer + i * sizeof(IP_ADAPTER_INFO), sizeof entry);
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
