#pragma once

// A TCP server on loopback that answers every connection with the same
// bytes, exactly as given, after reading the request's header section, and
// then closes it; it records each request as received. For replies that a
// real HTTP server would never send (interim replies, conflicting framing,
// a broken connection). Stops by itself after its lifetime, or when it goes
// out of scope.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class RawServer {
public:
    explicit RawServer(std::string reply, std::chrono::seconds lifetime = std::chrono::seconds(60))
        : reply_(std::move(reply)) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 || listen(fd_, 16) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, lifetime] { serve(lifetime); });
    }
    ~RawServer() {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) close(fd_);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    std::string url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // Every connection's bytes, up to the end of its header section.
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    bool readable(int fd, int milliseconds) const {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, milliseconds) > 0;
    }

    void serve(std::chrono::seconds lifetime) {
        const auto end = std::chrono::steady_clock::now() + lifetime;
        while (!stopping_ && std::chrono::steady_clock::now() < end) {
            if (!readable(fd_, 20)) continue;
            const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos && readable(client, 2000)) {
                const ssize_t n = recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            std::size_t sent = 0;
            while (sent < reply_.size()) {
                const ssize_t n = send(client, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
            shutdown(client, SHUT_WR);
            // Let the client read to the end before the socket goes.
            while (readable(client, 200) && recv(client, buffer, sizeof buffer, 0) > 0) {
            }
            close(client);
        }
    }

    std::string reply_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace testing_support
