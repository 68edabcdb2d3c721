#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace probes {

// A plain-text service on the root path that answers the caller's public
// IPv4 address.
inline constexpr const char* kPublicAddressUrl = "http://api.ipify.org/";

// Splits a reply at every single space, exactly: adjacent spaces give an
// empty token between them, and no other white space separates. An empty
// reply gives an empty list.
std::vector<std::string> SplitOnSpaces(std::string_view reply);

// The token at the list's upper bound. Raises "Subscript out of range" for
// an empty list.
const std::string& LastToken(const std::vector<std::string>& tokens);

}  // namespace probes
