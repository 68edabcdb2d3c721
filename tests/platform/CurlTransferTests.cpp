// OpenURL over libcurl against servers on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/linux/CurlTransfer.h"
#include "tests/support/HttpServer.h"
#include "toolkit/Error.h"

using namespace std::chrono_literals;
using probes::CurlTransfer;
using testing_support::HttpServer;

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
    for (const std::string body : {"198.51.100.23", "Current IP Address: 198.51.100.23",
                                   "198.51.100.23 ", "198.51.100.23\n", ""}) {
        auto server = answering(body);
        ASSERT_TRUE(server.ok());
        CurlTransfer transfer;
        EXPECT_EQ(transfer.OpenURL(server.url()), body) << "for body '" << body << "'";
    }
}

TEST(OpenURL, ErrorStatusStillGivesTheBody) {
    auto server = answering("<html>Not Found</html>", 404);
    CurlTransfer transfer;
    EXPECT_EQ(transfer.OpenURL(server.url()), "<html>Not Found</html>");
}

TEST(OpenURL, SendsOneGetToTheRootPath) {
    std::atomic<int> gets{0};
    std::string path;
    HttpServer server([&](httplib::Server& s) {
        s.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
            ++gets;
            path = req.path;
            res.set_content("x", "text/plain");
        });
    });
    CurlTransfer transfer;
    transfer.OpenURL(server.url("/"));
    EXPECT_EQ(gets.load(), 1);
    EXPECT_EQ(path, "/");
}

TEST(OpenURL, RefusedConnectionRaises) {
    int port = 0;
    {
        auto server = answering("x");
        port = server.port();
    }  // stopped: nothing listens on the port any more
    CurlTransfer transfer;
    EXPECT_EQ(errorNumberOf([&] { transfer.OpenURL("http://127.0.0.1:" + std::to_string(port) + "/"); }),
              probes::transfer_errors::ConnectFailed);
}

TEST(OpenURL, ServerThatNeverAnswersTimesOut) {
    HttpServer server([](httplib::Server& s) {
        s.Get("/", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(1500ms);
            res.set_content("late", "text/plain");
        });
    });
    CurlTransfer transfer(CurlTransfer::Options{.requestTimeout = 300ms});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorNumberOf([&] { transfer.OpenURL(server.url()); }), probes::transfer_errors::RequestTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
}

TEST(OpenURL, RequestTimeOutDefaultsToSixtySecondsAndBodyCapToOneMebibyte) {
    CurlTransfer transfer;
    EXPECT_EQ(transfer.options().requestTimeout, 60s);
    EXPECT_EQ(transfer.options().maxBodyBytes, 1024u * 1024u);
}

TEST(OpenURL, OversizedReplyIsAFailedFetch) {
    auto server = answering(std::string(1024 * 1024 + 1, 'a'));
    CurlTransfer transfer;
    EXPECT_EQ(errorNumberOf([&] { transfer.OpenURL(server.url()); }), probes::transfer_errors::ReplyTooLarge);

    // Exactly at the cap is still a reply.
    auto atCap = answering(std::string(1024 * 1024, 'b'));
    EXPECT_EQ(transfer.OpenURL(atCap.url()).size(), 1024u * 1024u);
}

TEST(OpenURL, UnresolvableHostRaises) {
    CurlTransfer transfer(CurlTransfer::Options{.requestTimeout = 2s});
    // .invalid never resolves (RFC 2606), so no packet leaves the machine.
    EXPECT_NE(errorNumberOf([&] { transfer.OpenURL("http://lumenfold.invalid/"); }), 0);
}

}  // namespace
