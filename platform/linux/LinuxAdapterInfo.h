#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "adapters/AdapterInfoApi.h"

namespace platform::gnulinux {

// What the kernel says about one network interface of the calling thread's
// network namespace.
struct InterfaceFacts {
    std::uint32_t index = 0;
    std::string name;
    std::string kind;                // the link kind ("veth", "bridge"...), empty for hardware
    std::string driver;              // the driver's name, when the device reports one
    std::uint16_t hardwareType = 0;  // ARPHRD_*
    bool loopback = false;
    bool wireless = false;
    std::vector<std::uint8_t> hardwareAddress;
    struct Address {
        std::string address;
        std::string mask;
    };
    std::vector<Address> addresses;     // IPv4, in the kernel's order
    std::vector<std::string> gateways;  // of default routes out of it, in route order
};

// Reads the interfaces, their IPv4 addresses and the default routes of the
// main table over rtnetlink, in interface-index order. Throws
// std::system_error when the kernel cannot be asked.
std::vector<InterfaceFacts> readInterfaces();

// A description a person can read: the kind of device and its driver.
std::string describeInterface(const InterfaceFacts& facts);

// The adapter list of this machine, answered from the kernel at each call:
// one entry per non-loopback interface, in interface-index order.
class LinuxAdapterInfo : public adapters::AdapterInfoApi {
public:
    std::uint32_t GetAdaptersInfo(std::byte* buffer, std::uint32_t& size) override;
    std::int32_t GetLastError() const override;

private:
    void setLastError(std::int32_t code);

    mutable std::mutex mutex_;
    std::map<std::thread::id, std::int32_t> lastError_;
};

}  // namespace platform::gnulinux
