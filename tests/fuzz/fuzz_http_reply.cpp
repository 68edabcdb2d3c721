// The reply of a web request as it arrives from the network: the reader
// of its status, headers and framing, fed in two pieces at a point the
// input chooses, then the public address taken from the body as the
// lookup takes it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/HttpReply.h"
#include "probes/PublicAddress.h"
#include "toolkit/Error.h"

using platform::gnulinux::HttpReplyReader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t cut = data[0] % size;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const auto want : {HttpReplyReader::Want::Headers, HttpReplyReader::Want::Body}) {
        HttpReplyReader reader(want, 4096);
        reader.feed(bytes.substr(0, cut));
        reader.feed(bytes.substr(std::min(cut, bytes.size())));
        const HttpReplyReader::State state = reader.end();
        if (state == HttpReplyReader::State::Done && reader.body().size() > 4096) __builtin_trap();
        if (state == HttpReplyReader::State::Done && want == HttpReplyReader::Want::Body) {
            try {
                static_cast<void>(probes::LastToken(probes::SplitOnSpaces(reader.body())));
            } catch (const toolkit::Error&) {
                // An empty reply has no last token: the lookup's own failure.
            }
        }
    }
    return 0;
}
