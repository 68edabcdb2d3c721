#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace toolkit {

// The one error type of the runtime: a signed 32-bit number, the source that
// raised it and a description, as the user is shown them when nothing absorbs it.
class Error : public std::runtime_error {
public:
    Error(std::int32_t number, std::string source, std::string description);

    std::int32_t number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }

    // Maps a standard exception onto the runtime's own numbers, so that a
    // fault anywhere below a handler reaches the user the same way.
    static Error from(const std::exception& e);

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The source of the errors the program raises itself, the runtime's
// included, rather than one of its components ("Inet", "Winsock"...).
inline constexpr const char* kProgramSource = "Lumenfold";

// Numbers of the runtime's own errors.
namespace errors {
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t ObjectRequired = 424;
}  // namespace errors

// The application's own error numbers start here (0x80040000).
inline constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);

}  // namespace toolkit
