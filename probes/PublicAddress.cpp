#include "probes/PublicAddress.h"

#include "toolkit/Error.h"

namespace probes {

std::vector<std::string> SplitOnSpaces(std::string_view reply) {
    std::vector<std::string> tokens;
    if (reply.empty()) return tokens;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = reply.find(' ', start);
        if (space == std::string_view::npos) {
            tokens.emplace_back(reply.substr(start));
            return tokens;
        }
        tokens.emplace_back(reply.substr(start, space - start));
        start = space + 1;
    }
}

const std::string& LastToken(const std::vector<std::string>& tokens) {
    if (tokens.empty())
        throw toolkit::Error(toolkit::errors::SubscriptOutOfRange, toolkit::kProgramSource, "Subscript out of range");
    return tokens.back();
}

}  // namespace probes
