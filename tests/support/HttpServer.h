#pragma once

// A cpp-httplib server for tests. It listens on the given address (loopback
// by default, on a free port unless one is named), optionally from inside a
// network namespace, and stops by itself when its lifetime runs out or when
// it goes out of scope, whichever comes first.
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/Netns.h"

namespace testing_support {

class HttpServer {
public:
    struct Options {
        std::string host = "127.0.0.1";
        int port = 0;  // 0: any free port
        std::string netns;  // empty: this process's own namespace
        std::chrono::seconds lifetime{120};
    };

    explicit HttpServer(const std::function<void(httplib::Server&)>& routes) : HttpServer(routes, Options{}) {}

    HttpServer(const std::function<void(httplib::Server&)>& routes, Options options) : options_(std::move(options)) {
        routes(server_);
        std::promise<int> bound;
        auto boundPort = bound.get_future();
        listener_ = std::thread([this, &bound] {
            if (!options_.netns.empty() && !enterNetns(options_.netns)) {
                bound.set_value(-1);
                return;
            }
            int port = options_.port;
            if (port == 0)
                port = server_.bind_to_any_port(options_.host);
            else if (!server_.bind_to_port(options_.host, port))
                port = -1;
            bound.set_value(port);
            if (port > 0) server_.listen_after_bind();
        });
        port_ = boundPort.get();
        // A stop() that came before listening began would be lost.
        while (port_ > 0 && !server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        watchdog_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            cv_.wait_for(lock, options_.lifetime, [this] { return stopping_; });
            server_.stop();
        });
    }

    ~HttpServer() { stop(); }
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        cv_.notify_all();
        server_.stop();
        if (listener_.joinable()) listener_.join();
        if (watchdog_.joinable()) watchdog_.join();
    }

    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    std::string url(const std::string& path = "/") const {
        return "http://" + options_.host + ":" + std::to_string(port_) + path;
    }

private:
    Options options_;
    httplib::Server server_;
    std::thread listener_;
    std::thread watchdog_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool stopping_ = false;
    int port_ = -1;
};

}  // namespace testing_support
