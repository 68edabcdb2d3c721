#pragma once

#include <cstdint>
#include <string>

namespace probes {

// A handle of the internet session API; 0 is no handle.
using HINTERNET = std::uintptr_t;

inline constexpr std::uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr std::uint32_t INTERNET_FLAG_RELOAD = 0x80000000u;
inline constexpr std::uint32_t INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000u;
inline constexpr std::uint32_t INTERNET_FLAG_KEEP_CONNECTION = 0x00400000u;

// The internet session API: a session handle, URL handles opened on it, and
// one close for both. "Returns a handle or none": failures answer 0.
class InternetApi {
public:
    virtual ~InternetApi() = default;
    virtual HINTERNET InternetOpenA(const std::string& agent, std::uint32_t accessType, const char* proxyName,
                                    const char* proxyBypass, std::uint32_t flags) = 0;
    virtual HINTERNET InternetOpenUrlA(HINTERNET session, const std::string& url, const char* headers,
                                       std::uint32_t headersLength, std::uint32_t flags, std::uintptr_t context) = 0;
    // Rejects (answers false for) a null or unknown handle.
    virtual bool InternetCloseHandle(HINTERNET handle) = 0;
};

}  // namespace probes
