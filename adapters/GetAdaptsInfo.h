#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "adapters/AdapterInfoApi.h"
#include "toolkit/Error.h"
#include "toolkit/Text.h"

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
inline constexpr std::int32_t EarlySuccess = toolkit::kObjectErrorBase + 0xB700;
inline constexpr std::int32_t NotSupported = toolkit::kObjectErrorBase + 0xB710;
inline constexpr std::int32_t BadParameters = toolkit::kObjectErrorBase + 0xB720;
inline constexpr std::int32_t LateNotSupported = toolkit::kObjectErrorBase + 0xB730;
inline constexpr std::int32_t LateBadParameters = toolkit::kObjectErrorBase + 0xB740;
inline constexpr std::int32_t LateBufferOverflow = toolkit::kObjectErrorBase + 0xB750;
inline constexpr std::int32_t LateSystemError = toolkit::kObjectErrorBase + 0xB760;
inline constexpr std::int32_t SystemError = toolkit::kObjectErrorBase + 0xB770;
}  // namespace adapter_errors

// The standard module that turns the platform's adapter list into records.
namespace GetAdaptsInfo {

// Rewrites the caller's array with one record per platform entry, in list
// order, and answers how many. When the platform has no adapter it answers 0
// and leaves the array as it was; a failing platform call raises one of the
// numbered errors (toolkit::Error), also leaving the array as it was.
std::int32_t ListAdapters(AdapterInfoApi& api, std::vector<AdapterRecord>& adapters);

// The characters before the first NUL; a text holding no NUL is kept whole.
using toolkit::TrimAtNull;

}  // namespace GetAdaptsInfo

}  // namespace adapters
