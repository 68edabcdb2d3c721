#include "adapters/AdapterBuffer.h"

#include <algorithm>
#include <cstring>

#include "adapters/AdapterInfoApi.h"

namespace adapters {

namespace {

using AddressAndMask = std::pair<std::string, std::string>;

template <std::size_t N>
void putText(char (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
}

void putAddress(IP_ADDR_STRING& element, const AddressAndMask& item) {
    putText(element.IpAddress.String, item.first);
    putText(element.IpMask.String, item.second);
}

std::size_t furtherElements(const AdapterEntry& entry) {
    std::size_t further = 0;
    if (entry.addresses.size() > 1) further += entry.addresses.size() - 1;
    if (entry.gateways.size() > 1) further += entry.gateways.size() - 1;
    return further;
}

// Fills a list head from the first item and writes the further items at
// `spill`, each linked to the next, the last one ending the list. The
// buffer holds raw bytes, so every element goes in through memcpy.
void putList(IP_ADDR_STRING& head, const std::vector<AddressAndMask>& items, std::byte*& spill) {
    head.Next = nullptr;
    if (items.empty()) return;
    putAddress(head, items[0]);
    if (items.size() > 1) head.Next = reinterpret_cast<IP_ADDR_STRING*>(spill);
    for (std::size_t k = 1; k < items.size(); ++k) {
        IP_ADDR_STRING element{};
        putAddress(element, items[k]);
        std::byte* at = spill;
        spill += sizeof(IP_ADDR_STRING);
        element.Next = k + 1 < items.size() ? reinterpret_cast<IP_ADDR_STRING*>(spill) : nullptr;
        std::memcpy(at, &element, sizeof element);
    }
}

}  // namespace

std::size_t adapterBufferSize(const std::vector<AdapterEntry>& entries) {
    std::size_t size = entries.size() * sizeof(IP_ADAPTER_INFO);
    for (const AdapterEntry& entry : entries) size += furtherElements(entry) * sizeof(IP_ADDR_STRING);
    return size;
}

void writeAdapterBuffer(const std::vector<AdapterEntry>& entries, std::byte* buffer) {
    std::byte* spill = buffer + entries.size() * sizeof(IP_ADAPTER_INFO);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const AdapterEntry& adapter = entries[i];
        IP_ADAPTER_INFO entry{};
        entry.Next = i + 1 < entries.size()
                         ? reinterpret_cast<IP_ADAPTER_INFO*>(buffer + (i + 1) * sizeof(IP_ADAPTER_INFO))
                         : nullptr;
        entry.ComboIndex = adapter.index;
        putText(entry.AdapterName, adapter.name);
        putText(entry.Description, adapter.description);
        entry.AddressLength =
            static_cast<std::uint32_t>(std::min(adapter.hardwareAddress.size(), MAX_ADAPTER_ADDRESS_LENGTH));
        std::copy_n(adapter.hardwareAddress.begin(), entry.AddressLength, entry.Address);
        entry.Index = adapter.index;
        entry.Type = adapter.type;
        putList(entry.IpAddressList, adapter.addresses, spill);
        putList(entry.GatewayList, adapter.gateways, spill);
        std::memcpy(buffer + i * sizeof(IP_ADAPTER_INFO), &entry, sizeof entry);
    }
}

}  // namespace adapters
