// The kernel's answers to the link, address and route dumps, read as the
// local address and the adapter list read them: the messages and their
// attributes, nested ones and the hops of multipath routes included.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/linux/Rtnetlink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Netlink messages are 4-byte aligned in the kernel's buffer; so is this copy.
    std::vector<std::uint32_t> aligned((size + 3) / 4);
    if (size) std::memcpy(aligned.data(), data, size);
    platform::gnulinux::rtnetlink::Tables tables;
    platform::gnulinux::rtnetlink::readAnswer(aligned.data(), size, tables);
    for (const auto& route : tables.routes) static_cast<void>(route.isMainDefault());
    return 0;
}
