#pragma once

#include <cstddef>
#include <cstdint>

namespace adapters {

inline constexpr std::uint32_t NO_ERROR_ = 0;
inline constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr std::uint32_t ERROR_NOT_SUPPORTED = 50;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_BUFFER_OVERFLOW = 111;
inline constexpr std::uint32_t ERROR_NO_DATA = 232;

inline constexpr std::size_t MAX_ADAPTER_NAME_LENGTH = 256;
inline constexpr std::size_t MAX_ADAPTER_DESCRIPTION_LENGTH = 128;
inline constexpr std::size_t MAX_ADAPTER_ADDRESS_LENGTH = 8;

// Adapter types as the entry's Type field gives them.
inline constexpr std::uint32_t MIB_IF_TYPE_OTHER = 1;
inline constexpr std::uint32_t MIB_IF_TYPE_ETHERNET = 6;
inline constexpr std::uint32_t MIB_IF_TYPE_PPP = 23;
inline constexpr std::uint32_t MIB_IF_TYPE_LOOPBACK = 24;
inline constexpr std::uint32_t IF_TYPE_IEEE80211 = 71;
inline constexpr std::uint32_t IF_TYPE_TUNNEL = 131;

// A dotted-quad address as fixed, NUL-padded text.
struct IP_ADDRESS_STRING {
    char String[16];
};
using IP_MASK_STRING = IP_ADDRESS_STRING;

// One element of an entry's address or gateway list. The list head lives in
// the entry; further elements follow inside the same buffer.
struct IP_ADDR_STRING {
    IP_ADDR_STRING* Next;
    IP_ADDRESS_STRING IpAddress;
    IP_MASK_STRING IpMask;
    std::uint32_t Context;
};

// One adapter of the list, with the published field names and fixed text
// widths, in this platform's native (64-bit) layout. Next points to the
// following entry inside the same buffer, or is null in the last one.
struct IP_ADAPTER_INFO {
    IP_ADAPTER_INFO* Next;
    std::uint32_t ComboIndex;
    char AdapterName[MAX_ADAPTER_NAME_LENGTH + 4];
    char Description[MAX_ADAPTER_DESCRIPTION_LENGTH + 4];
    std::uint32_t AddressLength;
    std::uint8_t Address[MAX_ADAPTER_ADDRESS_LENGTH];
    std::uint32_t Index;
    std::uint32_t Type;
    std::uint32_t DhcpEnabled;
    IP_ADDR_STRING* CurrentIpAddress;
    IP_ADDR_STRING IpAddressList;
    IP_ADDR_STRING GatewayList;
    IP_ADDR_STRING DhcpServer;
    std::int32_t HaveWins;
    IP_ADDR_STRING PrimaryWinsServer;
    IP_ADDR_STRING SecondaryWinsServer;
    std::int64_t LeaseObtained;
    std::int64_t LeaseExpires;
};

static_assert(sizeof(IP_ADDRESS_STRING) == 16);
static_assert(sizeof(IP_ADAPTER_INFO::AdapterName) == 260);
static_assert(sizeof(IP_ADAPTER_INFO::Description) == 132);
// The published 64-bit size; 640 belongs to 32-bit builds.
static_assert(sizeof(void*) != 8 || sizeof(IP_ADAPTER_INFO) == 704);

// The platform's adapter list, answered with the two-call contract: with no
// buffer it answers ERROR_BUFFER_OVERFLOW and the size it needs; with a
// buffer that large it fills it with linked entries and answers 0. It answers
// ERROR_NO_DATA when there is no adapter, and ERROR_BUFFER_OVERFLOW (with the
// new size) when the list has grown past the buffer since it was sized.
class AdapterInfoApi {
public:
    virtual ~AdapterInfoApi() = default;
    virtual std::uint32_t GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) = 0;
    // The calling thread's last-error code as its last call left it.
    virtual std::int32_t GetLastError() const = 0;
};

}  // namespace adapters
