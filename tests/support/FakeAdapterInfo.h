#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "adapters/AdapterInfoApi.h"

namespace testing_support {

// One adapter as the fake platform lists it.
struct FakeAdapter {
    std::string name;
    std::uint32_t index = 0;
    std::string description;
    std::vector<std::string> addresses;  // the first is the list head
    std::vector<std::string> gateways;
};

// The adapter list answered from `adapters` with the two-call contract, in
// real linked buffers: entries, then further address and gateway elements,
// every link pointing inside the caller's buffer. Calls can be scripted to
// answer other codes, and every buffer handed in is remembered.
class FakeAdapterInfo : public adapters::AdapterInfoApi {
public:
    struct Answer {
        std::uint32_t result;
        std::int32_t lastError;
    };

    std::uint32_t GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) override;
    std::int32_t GetLastError() const override { return lastError_; }

    std::vector<FakeAdapter> adapters;
    // Scripted answers by call (0 the first); calls past the end answer
    // honestly. A scripted ERROR_BUFFER_OVERFLOW also sets the needed size.
    std::vector<std::optional<Answer>> script;
    // Runs at the start of each call with its number, before it answers
    // (say, to add an adapter between the two calls).
    std::function<void(int)> beforeCall = [](int) {};
    // Changes an entry after it is built and before it is written.
    std::function<void(adapters::IP_ADAPTER_INFO&)> tamper = [](adapters::IP_ADAPTER_INFO&) {};

    int calls = 0;
    std::vector<const std::byte*> buffers;  // each non-null buffer handed in

    // The size the current list needs.
    std::uint32_t neededSize() const;

private:
    void fill(std::byte* buffer) const;
    std::int32_t lastError_ = 0;
};

// Whether the memory at `address` has been given back; only AddressSanitizer
// can tell, so `known` says whether the answer means anything.
struct ReleaseCheck {
    bool known = false;
    bool released = false;
};
ReleaseCheck checkReleased(const void* address);

}  // namespace testing_support
