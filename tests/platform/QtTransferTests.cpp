// OpenURL over Qt Network against servers on loopback.
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/linux/QtTransfer.h"
#include "tests/support/HttpServer.h"
#include "tests/support/SilentSocket.h"
#include "toolkit/Error.h"
#include "toolkit/Waiter.h"

using namespace std::chrono_literals;
using platform::gnulinux::QtTransfer;
using testing_support::HttpServer;
using testing_support::SilentSocket;

namespace {

HttpServer answering(std::string body, int status = 200) {
    return HttpServer([body, status](httplib::Server& s) {
        s.Get("/", [body, status](const httplib::Request&, httplib::Response& res) {
            res.status = status;
            res.set_content(body, "text/plain");
        });
    });
}

std::int32_t errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const toolkit::Error& e) {
        return e.number();
    }
    return 0;
}

TEST(OpenURL, ReturnsTheBodyExactlyAsSent) {
    toolkit::Waiter waiter;
    for (const std::string body : {"198.51.100.23", "Current IP Address: 198.51.100.23",
                                   "198.51.100.23 ", "198.51.100.23\n", ""}) {
        auto server = answering(body);
        ASSERT_TRUE(server.ok());
        QtTransfer transfer(waiter);
        EXPECT_EQ(transfer.OpenURL(server.url()), body) << "for body '" << body << "'";
    }
}

TEST(OpenURL, SendsOneGetToTheRootPath) {
    toolkit::Waiter waiter;
    // Written by the server's thread: read under the same lock.
    std::mutex mutex;
    int gets = 0;
    std::string path;
    HttpServer server([&](httplib::Server& s) {
        s.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(mutex);
            ++gets;
            path = req.path;
            res.set_content("x", "text/plain");
        });
    });
    QtTransfer transfer(waiter);
    transfer.OpenURL(server.url("/"));
    std::lock_guard lock(mutex);
    EXPECT_EQ(gets, 1);
    EXPECT_EQ(path, "/");
}

TEST(OpenURL, RefusedConnectionRaises) {
    toolkit::Waiter waiter;
    int port = 0;
    {
        auto server = answering("x");
        port = server.port();
    }  // stopped: nothing listens on the port any more
    QtTransfer transfer(waiter);
    EXPECT_EQ(errorNumberOf([&] { transfer.OpenURL("http://127.0.0.1:" + std::to_string(port) + "/"); }),
              probes::transfer_errors::ConnectFailed);
}

TEST(OpenURL, ServerThatNeverAnswersTimesOut) {
    toolkit::Waiter waiter;
    HttpServer server([](httplib::Server& s) {
        s.Get("/", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(1500ms);
            res.set_content("late", "text/plain");
        });
    });
    QtTransfer transfer(QtTransfer::Options{.requestTimeout = 300ms}, waiter);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorNumberOf([&] { transfer.OpenURL(server.url()); }), probes::transfer_errors::RequestTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
}

TEST(OpenURL, OversizedReplyIsAFailedFetch) {
    toolkit::Waiter waiter;
    auto server = answering(std::string(1024 * 1024 + 1, 'a'));
    QtTransfer transfer(waiter);
    EXPECT_EQ(errorNumberOf([&] { transfer.OpenURL(server.url()); }), probes::transfer_errors::ReplyTooLarge);

    // Exactly at the cap is still a reply.
    auto atCap = answering(std::string(1024 * 1024, 'b'));
    EXPECT_EQ(transfer.OpenURL(atCap.url()).size(), 1024u * 1024u);
}

TEST(OpenURL, UnresolvableHostRaises) {
    toolkit::Waiter waiter;
    QtTransfer transfer(QtTransfer::Options{.requestTimeout = 2s}, waiter);
    // .invalid never resolves (RFC 2606), so no packet leaves the machine.
    EXPECT_NE(errorNumberOf([&] { transfer.OpenURL("http://lumenfold.invalid/"); }), 0);
}

// A wait cancelled while the server stalls fails at once as a fetch that
// got no reply does.
TEST(OpenURL, CancelledWaitFailsAtOnce) {
    toolkit::Waiter waiter;
    SilentSocket stalled(true);
    ASSERT_TRUE(stalled.ok());
    QtTransfer transfer(waiter);
    QTimer::singleShot(100, [&] { waiter.cancel(); });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorNumberOf([&] { transfer.OpenURL(stalled.url()); }), probes::transfer_errors::RequestFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

}  // namespace
