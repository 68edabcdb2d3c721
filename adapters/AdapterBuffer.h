#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace adapters {

// One adapter as a platform knows it, before it is laid out in the list's
// buffer. The lists are address and mask pairs, the head first; an empty
// list leaves its head empty.
struct AdapterEntry {
    std::string name;
    std::string description;
    std::uint32_t index = 0;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> hardwareAddress;  // at most MAX_ADAPTER_ADDRESS_LENGTH bytes are kept
    std::vector<std::pair<std::string, std::string>> addresses;
    std::vector<std::pair<std::string, std::string>> gateways;
};

// The bytes the list of `entries` takes: the entries, then the further
// address and gateway elements.
std::size_t adapterBufferSize(const std::vector<AdapterEntry>& entries);

// Lays the list out in `buffer`, at least adapterBufferSize(entries) bytes,
// as GetAdaptersInfo answers it: linked IP_ADAPTER_INFO entries, then the
// further list elements, every link pointing inside the buffer and the last
// one of each chain null. Texts too long for their field are cut, and every
// field ends with a NUL.
void writeAdapterBuffer(const std::vector<AdapterEntry>& entries, std::byte* buffer);

}  // namespace adapters
