#pragma once

#include <string>

namespace probes {

// The machine's local IPv4 address as dotted text. Raises a toolkit::Error
// when it cannot be read.
class LocalIpService {
public:
    virtual ~LocalIpService() = default;
    virtual std::string LocalIP() = 0;
};

}  // namespace probes
