#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "adapters/AdapterInfoApi.h"

namespace adapters {

// One adapter as the Adapter Info window prints it.
struct AdapterRecord {
    QString Name;
    std::int32_t Index = 0;
    QString IP;
    QString Description;
    QString GatewayIP;

    bool operator==(const AdapterRecord&) const = default;
};

// The numbered errors of the enumeration: the application's error base plus
// 0xB700, in steps of 0x10, all raised with this source.
inline constexpr const char* kAdapterErrorSource = "GetAdaptersInfo";
namespace adapter_errors {
inline constexpr std::int32_t EarlySuccess = static_cast<std::int32_t>(0x8004B700u);
inline constexpr std::int32_t NotSupported = static_cast<std::int32_t>(0x8004B710u);
inline constexpr std::int32_t BadParameters = static_cast<std::int32_t>(0x8004B720u);
inline constexpr std::int32_t LateNotSupported = static_cast<std::int32_t>(0x8004B730u);
inline constexpr std::int32_t LateBadParameters = static_cast<std::int32_t>(0x8004B740u);
inline constexpr std::int32_t LateBufferOverflow = static_cast<std::int32_t>(0x8004B750u);
inline constexpr std::int32_t LateSystemError = static_cast<std::int32_t>(0x8004B760u);
inline constexpr std::int32_t SystemError = static_cast<std::int32_t>(0x8004B770u);
}  // namespace adapter_errors

// The standard module that turns the platform's adapter list into records.
namespace GetAdaptsInfo {

// Rewrites the caller's array with one record per platform entry, in list
// order, and answers how many. When the platform has no adapter it answers 0
// and leaves the array as it was; a failing platform call raises one of the
// numbered errors (toolkit::Error), also leaving the array as it was.
std::int32_t ListAdapters(AdapterInfoApi& api, std::vector<AdapterRecord>& adapters);

// The characters before the first NUL; a text holding no NUL is kept whole.
QString TrimAtNull(const QString& text);

}  // namespace GetAdaptsInfo

}  // namespace adapters
