#include "adapters/GetAdaptsInfo.h"

#include <bit>
#include <cstring>
#include <memory>
#include <string>

#include "toolkit/Error.h"

namespace adapters::GetAdaptsInfo {

namespace {

[[noreturn]] void raise(std::int32_t number, const std::string& description) {
    throw toolkit::Error(number, kAdapterErrorSource, description);
}

[[noreturn]] void raiseFirstCallFailure(std::uint32_t result, std::int32_t lastError) {
    switch (result) {
    case NO_ERROR_:
        raise(adapter_errors::EarlySuccess, "GetAdaptersInfo Early Success: internal error");
    case ERROR_NOT_SUPPORTED:
        raise(adapter_errors::NotSupported, "GetAdaptersInfo is not supported by this OS");
    case ERROR_INVALID_PARAMETER:
        raise(adapter_errors::BadParameters, "GetAdaptersInfo Bad Parameters: internal error");
    default:
        raise(adapter_errors::SystemError, "GetAdaptersInfo system error " + std::to_string(lastError));
    }
}

[[noreturn]] void raiseSecondCallFailure(std::uint32_t result, std::int32_t lastError) {
    switch (result) {
    case ERROR_NOT_SUPPORTED:
        raise(adapter_errors::LateNotSupported, "GetAdaptersInfo Late Failure: is not supported by this OS");
    case ERROR_INVALID_PARAMETER:
        raise(adapter_errors::LateBadParameters, "GetAdaptersInfo Late Failure, Bad Parameters: internal error");
    case ERROR_BUFFER_OVERFLOW:
        raise(adapter_errors::LateBufferOverflow, "GetAdaptersInfo Late Failure: buffer overflow");
    default:
        raise(adapter_errors::LateSystemError,
              "GetAdaptersInfo Late Failure: system error " + std::to_string(lastError));
    }
}

// A fixed text field of the entry, in the system's code page, cut at its NUL.
template <std::size_t N>
QString fieldText(const char (&field)[N]) {
    return TrimAtNull(QString::fromLocal8Bit(field, static_cast<qsizetype>(N)));
}

}  // namespace

std::int32_t ListAdapters(AdapterInfoApi& api, std::vector<AdapterRecord>& adapters) {
    std::int32_t count = 0;
    std::uint32_t size = 0;

    std::uint32_t result = api.GetAdaptersInfo(nullptr, size);
    std::int32_t lastError = api.GetLastError();
    if (result == ERROR_NO_DATA) return 0;
    if (result != ERROR_BUFFER_OVERFLOW) raiseFirstCallFailure(result, lastError);

    // Owned by this call alone; released on every way out.
    const std::uint32_t allocated = size;
    const auto buffer = std::make_unique_for_overwrite<std::byte[]>(allocated);
    result = api.GetAdaptersInfo(buffer.get(), size);
    lastError = api.GetLastError();
    if (result != NO_ERROR_) raiseSecondCallFailure(result, lastError);

    // The links are the platform's: follow one only while the entry it
    // names lies wholly inside the buffer, and never more often than the
    // buffer has room for entries, so a bad list cannot lead the walk astray.
    const auto first = reinterpret_cast<std::uintptr_t>(buffer.get());
    const std::size_t room = allocated / sizeof(IP_ADAPTER_INFO);
    const void* p = buffer.get();
    // The local record has the entry's own layout, so one copy moves exactly
    // one entry, whatever size this platform gives it.
    IP_ADAPTER_INFO record;
    while (p != nullptr) {
        const auto at = reinterpret_cast<std::uintptr_t>(p);
        const bool inside = at >= first && allocated >= sizeof record && at - first <= allocated - sizeof record;
        if (!inside || static_cast<std::size_t>(count) >= room)
            raise(toolkit::errors::InternalError, "GetAdaptersInfo Late Failure: an entry lies outside the buffer");
        std::memmove(&record, p, sizeof record);

        adapters.resize(static_cast<std::size_t>(count) + 1);
        AdapterRecord& element = adapters[static_cast<std::size_t>(count)];
        element.Name = fieldText(record.AdapterName);
        element.Index = std::bit_cast<std::int32_t>(record.Index);
        element.Description = fieldText(record.Description);
        element.IP = fieldText(record.IpAddressList.IpAddress.String);
        element.GatewayIP = fieldText(record.GatewayList.IpAddress.String);
        ++count;

        p = record.Next;
    }
    return count;
}

}  // namespace adapters::GetAdaptsInfo
