#include "platform/linux/HttpReply.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <utility>
#include <vector>

namespace platform::gnulinux {

namespace {

// Every header section of one reply together, interim ones included.
constexpr std::size_t kMaxHeadBytes = std::size_t{64} * 1024;
constexpr std::size_t kMaxChunkLineBytes = std::size_t{4} * 1024;

std::string lower(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(), [](unsigned char c) { return std::tolower(c); });
    return result;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The comma-separated items of a header's values, trimmed, empty ones left out.
std::vector<std::string> listItems(const std::vector<std::string>& values) {
    std::vector<std::string> items;
    for (const std::string& value : values) {
        std::string_view rest = value;
        while (true) {
            const std::size_t comma = rest.find(',');
            const std::string_view item = trimmed(rest.substr(0, comma));
            if (!item.empty()) items.emplace_back(item);
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
    }
    return items;
}

bool isTokenChar(unsigned char c) {
    return std::isalnum(c) || std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

// Takes one line off the front of `buffer`, without its CR LF (or bare LF).
std::optional<std::string> takeLine(std::string& buffer) {
    const std::size_t newline = buffer.find('\n');
    if (newline == std::string::npos) return std::nullopt;
    std::string line = buffer.substr(0, newline);
    buffer.erase(0, newline + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<int> statusOfLine(std::string_view line) {
    // HTTP/1.x SP three digits, then SP and a reason phrase (which may be empty).
    if (line.size() < 12 || !line.starts_with("HTTP/1.") || !std::isdigit(static_cast<unsigned char>(line[7])) ||
        line[8] != ' ')
        return std::nullopt;
    const std::string_view code = line.substr(9, 3);
    if (!std::ranges::all_of(code, [](unsigned char c) { return std::isdigit(c) != 0; })) return std::nullopt;
    if (line.size() > 12 && line[12] != ' ') return std::nullopt;
    const int status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
    return status >= 100 ? std::optional(status) : std::nullopt;
}

// Whether the start of a header section can still become a status line: a
// server that answers something else (TLS, another protocol) is refused at
// its first bytes, not when it closes.
bool couldBeStatusLine(std::string_view pending) {
    constexpr std::string_view kStart = "HTTP/1.";
    if (pending.find('\n') != std::string_view::npos && pending.find('\n') + 1 != pending.size()) return true;
    while (pending.starts_with("\r\n") || pending.starts_with("\n"))
        pending.remove_prefix(pending.front() == '\r' ? 2 : 1);
    if (pending == "\r") return true;
    const std::size_t n = std::min(pending.size(), kStart.size());
    return pending.substr(0, n) == kStart.substr(0, n);
}

}  // namespace

HttpReplyReader::HttpReplyReader(Want want, std::size_t maxBodyBytes) : want_(want), maxBodyBytes_(maxBodyBytes) {}

HttpReplyReader::State HttpReplyReader::refuse(std::string why) {
    problem_ = std::move(why);
    part_ = Part::Over;
    return state_ = State::Refused;
}

HttpReplyReader::State HttpReplyReader::feed(std::string_view bytes) {
    while (state_ == State::Reading && !bytes.empty()) {
        switch (part_) {
        case Part::Head: {
            const std::size_t newline = bytes.find('\n');
            const std::size_t take = newline == std::string_view::npos ? bytes.size() : newline + 1;
            headBytes_ += take;
            if (headBytes_ > kMaxHeadBytes) return refuse("the reply's headers are too large");
            pending_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (!couldBeStatusLine(pending_)) return refuse("the reply does not begin with an HTTP/1 status line");
            if (newline == std::string_view::npos) break;
            // A header section ends with an empty line.
            if (pending_.ends_with("\n\n") || pending_.ends_with("\n\r\n") || pending_ == "\r\n" || pending_ == "\n") {
                std::string head = std::move(pending_);
                pending_.clear();
                takeHead(head);
            }
            break;
        }
        case Part::Over:
            return state_;
        default:
            takeBody(bytes);
            break;
        }
    }
    return state_;
}

HttpReplyReader::State HttpReplyReader::end() {
    if (state_ != State::Reading) return state_;
    if (part_ == Part::ToEnd) {
        part_ = Part::Over;
        return state_ = State::Done;
    }
    if (part_ == Part::Head && status_ == 0)
        return refuse(headBytes_ == 0 ? "the connection closed without a reply"
                                      : "the connection closed inside the reply's headers");
    return refuse("the connection closed before the end of the reply");
}

HttpReplyReader::State HttpReplyReader::takeHead(std::string_view head) {
    std::string buffer(head);
    const std::optional<std::string> statusLine = takeLine(buffer);
    // A blank line before a reply is tolerated (RFC 9112, 2.2).
    if (!statusLine || statusLine->empty()) return state_;
    const std::optional<int> status = statusOfLine(*statusLine);
    if (!status) return refuse("the reply does not begin with an HTTP/1 status line");

    std::vector<std::pair<std::string, std::string>> fields;
    while (std::optional<std::string> line = takeLine(buffer)) {
        if (line->empty()) break;
        if (line->front() == ' ' || line->front() == '\t') {
            // An obsolete folded line continues the header before it.
            if (fields.empty()) return refuse("the reply's headers do not parse");
            fields.back().second += ' ';
            fields.back().second += trimmed(*line);
            continue;
        }
        const std::size_t colon = line->find(':');
        const std::string_view name = std::string_view(*line).substr(0, colon);
        if (colon == std::string::npos || name.empty() ||
            !std::ranges::all_of(name, [](unsigned char c) { return isTokenChar(c); }))
            return refuse("the reply's headers do not parse");
        fields.emplace_back(lower(name), std::string(trimmed(std::string_view(*line).substr(colon + 1))));
    }
    const auto valuesOf = [&fields](std::string_view name) {
        std::vector<std::string> values;
        for (const auto& [field, value] : fields)
            if (field == name) values.push_back(value);
        return values;
    };

    if (*status == 101) return refuse("HTTP 101: the server switched protocols unasked");
    // An interim reply: the final one follows.
    if (*status < 200) return state_;
    status_ = *status;
    if (want_ == Want::Headers) {
        part_ = Part::Over;
        return state_ = State::Done;
    }

    for (const std::string& coding : listItems(valuesOf("content-encoding")))
        if (lower(coding) != "identity") return refuse("content coding " + coding + " was not asked for");

    const std::vector<std::string> transferCodings = listItems(valuesOf("transfer-encoding"));
    if (!transferCodings.empty()) {
        for (const std::string& coding : transferCodings)
            if (lower(coding) != "chunked") return refuse("transfer coding " + coding + " is not supported");
        if (transferCodings.size() > 1) return refuse("the body is chunked more than once");
        // Chunked framing overrides any Content-Length (RFC 9112, 6.3).
        part_ = Part::ChunkSize;
        return state_;
    }

    const std::vector<std::string> lengths = listItems(valuesOf("content-length"));
    if (status_ == 204 || status_ == 304) {
        part_ = Part::Over;
        return state_ = State::Done;
    }
    if (lengths.empty()) {
        part_ = Part::ToEnd;
        return state_;
    }
    if (std::ranges::any_of(lengths, [&](const std::string& length) { return length != lengths.front(); }))
        return refuse("the reply has conflicting Content-Length headers");
    const std::string& length = lengths.front();
    std::size_t size = 0;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), size);
    if (error != std::errc() || end != length.data() + length.size() || length.front() == '-' || length.front() == '+')
        return refuse("the reply's Content-Length does not parse");
    if (size > maxBodyBytes_) {
        part_ = Part::Over;
        return state_ = State::TooLarge;
    }
    left_ = size;
    part_ = Part::Sized;
    if (left_ == 0) {
        part_ = Part::Over;
        state_ = State::Done;
    }
    return state_;
}

HttpReplyReader::State HttpReplyReader::append(std::string_view bytes) {
    if (body_.size() + bytes.size() > maxBodyBytes_) {
        part_ = Part::Over;
        return state_ = State::TooLarge;
    }
    body_.append(bytes);
    return state_;
}

HttpReplyReader::State HttpReplyReader::takeBody(std::string_view& bytes) {
    switch (part_) {
    case Part::ToEnd:
        append(bytes);
        bytes = {};
        return state_;
    case Part::Sized:
    case Part::ChunkData: {
        const std::size_t take = std::min(left_, bytes.size());
        if (append(bytes.substr(0, take)) != State::Reading) return state_;
        bytes.remove_prefix(take);
        left_ -= take;
        if (left_ == 0) {
            if (part_ == Part::Sized) {
                part_ = Part::Over;
                return state_ = State::Done;
            }
            part_ = Part::ChunkDataEnd;
        }
        return state_;
    }
    default:
        break;
    }
    // The line-based parts of the chunked framing.
    const std::size_t newline = bytes.find('\n');
    const std::size_t take = newline == std::string_view::npos ? bytes.size() : newline + 1;
    pending_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (pending_.size() > kMaxChunkLineBytes) return refuse("the reply's chunked framing does not parse");
    if (newline == std::string_view::npos) return state_;
    std::string line = *takeLine(pending_);
    switch (part_) {
    case Part::ChunkDataEnd:
        if (!line.empty()) return refuse("the reply's chunked framing does not parse");
        part_ = Part::ChunkSize;
        break;
    case Part::ChunkSize: {
        // Hexadecimal digits, then optional white space and extensions.
        const std::string_view size = trimmed(std::string_view(line).substr(0, line.find(';')));
        std::size_t length = 0;
        const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), length, 16);
        if (size.empty() || error != std::errc() || end != size.data() + size.size())
            return refuse("the reply's chunked framing does not parse");
        if (length == 0) {
            part_ = Part::Trailers;
        } else if (length > maxBodyBytes_ - body_.size()) {
            part_ = Part::Over;
            return state_ = State::TooLarge;
        } else {
            left_ = length;
            part_ = Part::ChunkData;
        }
        break;
    }
    case Part::Trailers:
        if (line.empty()) {
            part_ = Part::Over;
            return state_ = State::Done;
        }
        break;
    default:
        break;
    }
    return state_;
}

}  // namespace platform::gnulinux
