// The platform's adapter list as the enumeration walks it: the buffer's
// bytes, its size and both calls' results come from the input, and each
// entry's link to the next points where the input says, inside the buffer
// or not.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "adapters/GetAdaptsInfo.h"

namespace {

class FuzzedAdapterInfo : public adapters::AdapterInfoApi {
public:
    FuzzedAdapterInfo(const std::uint8_t* data, std::size_t size) : data_(data, data + size) {}

    std::uint32_t GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) override {
        const std::uint8_t control = data_.empty() ? 0 : data_[0];
        const std::uint32_t payload = static_cast<std::uint32_t>(data_.size() > 1 ? data_.size() - 1 : 0);
        if (buffer == nullptr) {
            size = payload;
            return (control & 3) == 0 ? adapters::ERROR_BUFFER_OVERFLOW : codeOf(control >> 2);
        }
        if ((control & 0x30) == 0x30) return codeOf(control >> 6);
        const std::uint32_t used = std::min(size, payload);
        if (used > 0) std::memcpy(buffer, data_.data() + 1, used);
        // Each whole entry's link: null, or an offset into (or just past) the buffer.
        for (std::size_t at = 0; at + sizeof(adapters::IP_ADAPTER_INFO) <= used;
             at += sizeof(adapters::IP_ADAPTER_INFO)) {
            std::uint64_t raw = 0;
            std::memcpy(&raw, buffer + at, sizeof raw);
            std::byte* next = (raw & 1) ? nullptr : buffer + (raw >> 1) % (static_cast<std::uint64_t>(used) + 64);
            std::memcpy(buffer + at, &next, sizeof next);
        }
        return adapters::NO_ERROR_;
    }
    std::int32_t GetLastError() const override { return 5; }

private:
    static std::uint32_t codeOf(int choice) {
        constexpr std::uint32_t codes[] = {adapters::ERROR_NO_DATA, adapters::ERROR_NOT_SUPPORTED,
                                           adapters::ERROR_INVALID_PARAMETER, adapters::ERROR_GEN_FAILURE};
        return codes[choice & 3];
    }
    std::vector<std::uint8_t> data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedAdapterInfo api(data, size);
    std::vector<adapters::AdapterRecord> records;
    try {
        adapters::GetAdaptsInfo::ListAdapters(api, records);
    } catch (const toolkit::Error&) {
        // The enumeration's numbered errors are its answer to a bad list.
    }
    return 0;
}
