#pragma once

// A TCP port that never answers. Bound but not listening, a connect to it is
// refused at once. Listening, the kernel completes every connection into
// its backlog and nothing ever answers it: a site that accepts and stalls.
// Closing it resets those connections. Made in another network namespace
// when one is named (from a thread that enters it, so that only the socket
// belongs there).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "tests/support/Netns.h"

namespace testing_support {

class SilentSocket {
public:
    struct Options {
        bool listening = true;
        std::string host = "127.0.0.1";
        int port = 0;       // 0: any free port
        std::string netns;  // empty: this process's own namespace
    };

    explicit SilentSocket(Options options) : host_(options.host) {
        auto make = [&] {
            if (!options.netns.empty() && !enterNetns(options.netns)) return;
            fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd_ < 0) return;
            const int on = 1;
            setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<std::uint16_t>(options.port));
            socklen_t length = sizeof address;
            if (inet_pton(AF_INET, options.host.c_str(), &address.sin_addr) != 1 ||
                bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
                getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
                (options.listening && listen(fd_, 16) != 0))
                return;
            port_ = ntohs(address.sin_port);
        };
        if (options.netns.empty())
            make();
        else
            std::thread(make).join();
    }
    explicit SilentSocket(bool listening) : SilentSocket(Options{listening, "127.0.0.1", 0, ""}) {}
    ~SilentSocket() { close(); }
    SilentSocket(const SilentSocket&) = delete;
    SilentSocket& operator=(const SilentSocket&) = delete;

    // Stops listening; connections waiting in the backlog are reset.
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    std::string url() const { return "http://" + host_ + ":" + std::to_string(port_) + "/"; }

private:
    std::string host_;
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace testing_support
