#pragma once

#include <cstddef>
#include <cstdint>

namespace adapters {

inline constexpr std::uint32_t NO_ERROR_ = 0;
inline constexpr std::uint32_t ERROR_NOT_SUPPORTED = 50;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_BUFFER_OVERFLOW = 111;
inline constexpr std::uint32_t ERROR_NO_DATA = 232;

// The platform's adapter list, answered with the two-call contract: with no
// buffer it answers ERROR_BUFFER_OVERFLOW and the size it needs; with a
// buffer that large it fills it with linked entries and answers 0.
class AdapterInfoApi {
public:
    virtual ~AdapterInfoApi() = default;
    virtual std::uint32_t GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) = 0;
    // The calling thread's last-error code as the last call left it.
    virtual std::int32_t GetLastError() const = 0;
};

}  // namespace adapters
