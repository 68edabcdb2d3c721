#pragma once

#include <string>

namespace probes {

// The loopback address, which the read answers when the machine has no
// other address, and which the main window shows as its own.
inline constexpr const char* kLoopbackAddress = "127.0.0.1";

// The machine's local IPv4 address as dotted text. Raises a toolkit::Error
// when it cannot be read.
class LocalIpService {
public:
    virtual ~LocalIpService() = default;
    virtual std::string LocalIP() = 0;
};

}  // namespace probes
