#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::gnulinux {

// Reads one HTTP/1.1 reply from the bytes of its connection, as RFC 9112
// frames it: interim (1xx) replies are skipped, the final reply's body is
// framed by chunked transfer coding, by one Content-Length, or by the end
// of the connection. What the request did not ask for is refused rather
// than passed on: a content coding (the request asks for "identity"),
// Content-Length headers that disagree, a transfer coding other than
// chunked, a 101 switch of protocols.
class HttpReplyReader {
public:
    enum class Want {
        Headers,  // stop at the final reply's status line and headers
        Body,     // read its body too
    };
    enum class State {
        Reading,   // more bytes wanted
        Done,      // the final reply is in (as far as wanted)
        Refused,   // the bytes are not a reply to take; problem() says why
        TooLarge,  // the body passed the limit
    };

    HttpReplyReader(Want want, std::size_t maxBodyBytes);

    // The next bytes of the connection. Bytes after the reply are ignored.
    State feed(std::string_view bytes);
    // The connection has ended.
    State end();

    State state() const noexcept { return state_; }
    // The final status, once its status line is in; 0 before.
    int status() const noexcept { return status_; }
    // Whether the final reply's status line and headers are in.
    bool hasFinalHeaders() const noexcept { return status_ != 0; }
    const std::string& body() const noexcept { return body_; }
    const std::string& problem() const noexcept { return problem_; }

private:
    enum class Part { Head, ChunkSize, ChunkData, ChunkDataEnd, Trailers, Sized, ToEnd, Over };

    State refuse(std::string why);
    // Takes a complete header section (status line to the empty line).
    State takeHead(std::string_view head);
    State takeBody(std::string_view& bytes);
    State append(std::string_view bytes);

    Want want_;
    std::size_t maxBodyBytes_;
    State state_ = State::Reading;
    Part part_ = Part::Head;
    std::string pending_;        // bytes of a header section or a chunk line not yet complete
    std::size_t headBytes_ = 0;  // of every header section so far, interim ones included
    std::size_t left_ = 0;       // of the current chunk or the sized body
    int status_ = 0;
    std::string body_;
    std::string problem_;
};

}  // namespace platform::gnulinux
