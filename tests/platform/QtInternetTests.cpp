// The internet session API over Qt Network, against servers on loopback.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <QTimer>
#include <gtest/gtest.h>
#include <mutex>

#include "platform/linux/QtInternet.h"
#include "probes/Connectivity.h"
#include "tests/support/Fakes.h"
#include "tests/support/HttpServer.h"
#include "tests/support/SilentSocket.h"
#include "toolkit/Waiter.h"

using namespace probes;
using platform::gnulinux::QtInternet;
using namespace std::chrono_literals;
using testing_support::HttpServer;
using testing_support::SilentSocket;

namespace {

constexpr const char* kAgent = "{Qor} Lumenfold 1.5";

struct Timed {
    HINTERNET handle;
    std::chrono::milliseconds took;
};

Timed openTimed(QtInternet& internet, HINTERNET session, const std::string& url) {
    const auto start = std::chrono::steady_clock::now();
    const HINTERNET handle = internet.InternetOpenUrlA(session, url, nullptr, 0, kProbeUrlFlags, 0);
    return {handle, std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)};
}

HINTERNET openSession(QtInternet& internet) {
    return internet.InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

}  // namespace

TEST(QtInternet, AnswerWithAnyStatusGivesAUrlHandleAndSendsTheAgent) {
    std::mutex mutex;
    std::vector<std::string> agents, cacheControls;
    const auto record = [&](const httplib::Request& request) {
        std::lock_guard lock(mutex);
        agents.push_back(request.get_header_value("User-Agent"));
        cacheControls.push_back(request.get_header_value("Cache-Control"));
    };
    HttpServer server([&](httplib::Server& s) {
        s.Get("/", [&](const httplib::Request& request, httplib::Response& response) {
            record(request);
            response.set_content("<html>home</html>", "text/html");
        });
        s.Get("/broken", [&](const httplib::Request& request, httplib::Response& response) {
            record(request);
            response.status = 500;
            response.set_content("server error", "text/plain");
        });
        s.Get("/moved", [&](const httplib::Request& request, httplib::Response& response) {
            record(request);
            response.status = 302;
            response.set_header("Location", "http://127.0.0.1:9/");
        });
    });
    ASSERT_TRUE(server.ok());
    toolkit::Waiter waiter;
    QtInternet internet(waiter);
    const HINTERNET session = openSession(internet);
    ASSERT_NE(session, 0u);

    const HINTERNET home = internet.InternetOpenUrlA(session, server.url("/"), nullptr, 0, kProbeUrlFlags, 0);
    ASSERT_NE(home, 0u);
    // A server error is still an answer.
    const HINTERNET broken = internet.InternetOpenUrlA(session, server.url("/broken"), nullptr, 0, kProbeUrlFlags, 0);
    ASSERT_NE(broken, 0u);
    // So is a redirect; it is not followed to a place that does not answer.
    const HINTERNET moved = internet.InternetOpenUrlA(session, server.url("/moved"), nullptr, 0, kProbeUrlFlags, 0);
    ASSERT_NE(moved, 0u);
    // Nothing is cached: the same URL again reaches the server again.
    const HINTERNET again = internet.InternetOpenUrlA(session, server.url("/"), nullptr, 0, kProbeUrlFlags, 0);
    ASSERT_NE(again, 0u);
    EXPECT_NE(again, home);

    std::lock_guard lock(mutex);
    ASSERT_EQ(agents.size(), 4u);
    for (const auto& agent : agents) EXPECT_EQ(agent, kAgent);
    for (const auto& cacheControl : cacheControls) EXPECT_EQ(cacheControl, "no-cache");
}

TEST(QtInternet, LargeBodyIsNotRead) {
    constexpr std::size_t kBodySize = std::size_t{1} << 30;  // 1 GiB
    std::atomic<std::size_t> written{0};
    std::atomic<bool> providerDone{false};
    HttpServer server([&](httplib::Server& s) {
        s.Get("/", [&](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                kBodySize, "application/octet-stream",
                [&](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                    static const std::string chunk(64 * 1024, 'x');
                    const std::size_t n = std::min(length, chunk.size());
                    if (offset > 64 * 1024 * 1024 || !sink.write(chunk.data(), n)) return false;
                    written += n;
                    return true;
                },
                [&](bool) { providerDone = true; });
        });
    });
    ASSERT_TRUE(server.ok());
    toolkit::Waiter waiter;
    QtInternet internet(waiter);
    const HINTERNET session = openSession(internet);
    const Timed opened = openTimed(internet, session, server.url());
    EXPECT_NE(opened.handle, 0u);
    ASSERT_TRUE(testing_support::waitUntil([&] { return providerDone.load(); }, 10000));
    // What the server got out is what the socket buffers took before the
    // client hung up: a few megabytes at most, never the body.
    EXPECT_LT(written.load(), std::size_t{32} << 20);
    EXPECT_LT(opened.took, 5s);
}

TEST(QtInternet, UrlHandleComesWithTheStatusLineNotWithTheBody) {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    HttpServer server([&](httplib::Server& s) {
        s.Get("/", [&](const httplib::Request&, httplib::Response& response) {
            // Headers go out, then the body stalls until the test is done.
            response.set_chunked_content_provider("text/html", [&](std::size_t, httplib::DataSink&) {
                std::unique_lock lock(mutex);
                released.wait_for(lock, 10s, [&] { return release; });
                return false;
            });
        });
    });
    ASSERT_TRUE(server.ok());
    toolkit::Waiter waiter;
    QtInternet internet(QtInternet::Options{2s, 8s}, waiter);
    const HINTERNET session = openSession(internet);
    const Timed opened = openTimed(internet, session, server.url());
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    EXPECT_NE(opened.handle, 0u);
    EXPECT_LT(opened.took, 2s);
}

TEST(QtInternet, RefusedConnectionGivesNoHandleAtOnce) {
    SilentSocket closedPort(false);
    ASSERT_TRUE(closedPort.ok());
    toolkit::Waiter waiter;
    QtInternet internet(waiter);
    const HINTERNET session = openSession(internet);
    const Timed opened = openTimed(internet, session, closedPort.url());
    EXPECT_EQ(opened.handle, 0u);
    EXPECT_LT(opened.took, 2s);
}

TEST(QtInternet, ServerThatNeverAnswersIsGivenUpAfterTheTimeOut) {
    SilentSocket silent(true);
    ASSERT_TRUE(silent.ok());
    toolkit::Waiter waiter;
    QtInternet internet(QtInternet::Options{200ms, 600ms}, waiter);
    const HINTERNET session = openSession(internet);
    const Timed opened = openTimed(internet, session, silent.url());
    EXPECT_EQ(opened.handle, 0u);
    EXPECT_GE(opened.took, 500ms);
    EXPECT_LT(opened.took, 3s);
}

TEST(QtInternet, HandlesFollowTheSessionContract) {
    toolkit::Waiter waiter;
    QtInternet internet(waiter);
    // Unsupported session kinds give no handle.
    EXPECT_EQ(internet.InternetOpenA(kAgent, 3, "proxy:8080", nullptr, 0), 0u);
    EXPECT_EQ(internet.InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0x10000000), 0u);
    // A URL needs a session.
    EXPECT_EQ(internet.InternetOpenUrlA(0, "http://127.0.0.1:9/", nullptr, 0, kProbeUrlFlags, 0), 0u);
    EXPECT_EQ(internet.InternetOpenUrlA(12345, "http://127.0.0.1:9/", nullptr, 0, kProbeUrlFlags, 0), 0u);
    // Only http is opened.
    const HINTERNET session = openSession(internet);
    ASSERT_NE(session, 0u);
    EXPECT_EQ(internet.InternetOpenUrlA(session, "file:///etc/hostname", nullptr, 0, kProbeUrlFlags, 0), 0u);
    EXPECT_EQ(internet.InternetOpenUrlA(session, "https://127.0.0.1:9/", nullptr, 0, kProbeUrlFlags, 0), 0u);

    HttpServer server([](httplib::Server& s) {
        s.Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("ok", "text/plain"); });
    });
    ASSERT_TRUE(server.ok());
    const HINTERNET page = internet.InternetOpenUrlA(session, server.url(), nullptr, 0, kProbeUrlFlags, 0);
    ASSERT_NE(page, 0u);

    // A null handle is rejected; closing the session takes its URL handles.
    EXPECT_FALSE(internet.InternetCloseHandle(0));
    EXPECT_TRUE(internet.InternetCloseHandle(session));
    EXPECT_FALSE(internet.InternetCloseHandle(page));
    EXPECT_FALSE(internet.InternetCloseHandle(session));
}

TEST(QtInternet, ExtraHeadersAreSent) {
    std::mutex mutex;
    std::string seen;
    HttpServer server([&](httplib::Server& s) {
        s.Get("/", [&](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex);
            seen = request.get_header_value("X-Probe") + "|" + request.get_header_value("X-Other");
            response.set_content("ok", "text/plain");
        });
    });
    ASSERT_TRUE(server.ok());
    toolkit::Waiter waiter;
    QtInternet internet(waiter);
    const HINTERNET session = openSession(internet);
    const std::string headers = "X-Probe: one\r\nX-Other: two\r\n";
    EXPECT_NE(internet.InternetOpenUrlA(session, server.url(), headers.c_str(), 0xFFFFFFFFu, kProbeUrlFlags, 0), 0u);
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(seen, "one|two");
    }
    // A length shorter than the text sends only that much.
    EXPECT_NE(internet.InternetOpenUrlA(session, server.url(), headers.c_str(), 12, kProbeUrlFlags, 0), 0u);
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(seen, "one|");
    }
    // A value holding a bare line feed would put a header of its own on the
    // wire: that line is left out, the others still go.
    const std::string smuggling = "X-Probe: one\nX-Other: smuggled\r\nX-Other: two\r\n";
    EXPECT_NE(internet.InternetOpenUrlA(session, server.url(), smuggling.c_str(), 0xFFFFFFFFu, kProbeUrlFlags, 0), 0u);
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen, "|two");
}

// Passes every call on, remembering the handles it gave out.
class HandleRecorder : public InternetApi {
public:
    explicit HandleRecorder(QtInternet& real) : real_(real) {}
    HINTERNET InternetOpenA(const std::string& agent, std::uint32_t accessType, const char* proxyName,
                            const char* proxyBypass, std::uint32_t flags) override {
        return record(real_.InternetOpenA(agent, accessType, proxyName, proxyBypass, flags));
    }
    HINTERNET InternetOpenUrlA(HINTERNET session, const std::string& url, const char* headers,
                               std::uint32_t headersLength, std::uint32_t flags, std::uintptr_t context) override {
        return record(real_.InternetOpenUrlA(session, url, headers, headersLength, flags, context));
    }
    bool InternetCloseHandle(HINTERNET handle) override { return real_.InternetCloseHandle(handle); }
    // Whether every handle given out has been closed: closing again is refused.
    bool allClosed() {
        for (const HINTERNET handle : given_)
            if (real_.InternetCloseHandle(handle)) return false;
        return true;
    }

private:
    HINTERNET record(HINTERNET handle) {
        if (handle != 0) given_.push_back(handle);
        return handle;
    }
    QtInternet& real_;
    std::vector<HINTERNET> given_;
};

TEST(ProbeConnectivityOverQt, ReachableThenUnreachableAndNothingLeftOpen) {
    HttpServer server([](httplib::Server& s) {
        s.Get("/", [](const httplib::Request&, httplib::Response& response) {
            response.status = 503;
            response.set_content("busy", "text/plain");
        });
    });
    ASSERT_TRUE(server.ok());
    SilentSocket closedPort(false);
    toolkit::Waiter waiter;
    QtInternet real(waiter);
    HandleRecorder internet(real);
    EXPECT_EQ(ProbeConnectivity(internet, kAgent, server.url()), ProbeResult::Reachable);
    EXPECT_TRUE(internet.allClosed());
    EXPECT_EQ(ProbeConnectivity(internet, kAgent, closedPort.url()), ProbeResult::Unreachable);
    EXPECT_TRUE(internet.allClosed());
}

// Through a waiter the open runs on a worker; a wait cancelled while the
// site stalls gives no handle at once, as a site that never answered does,
// and the session stays usable.
TEST(QtInternet, ThroughAWaiterAnAnswerGivesAHandleAndACancelledOpenNone) {
    HttpServer server([](httplib::Server& s) {
        s.Get("/", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html>home</html>", "text/html");
        });
    });
    SilentSocket stalled(true);
    ASSERT_TRUE(server.ok() && stalled.ok());
    toolkit::Waiter waiter;
    QtInternet internet(waiter);
    const HINTERNET session = openSession(internet);

    const HINTERNET home = internet.InternetOpenUrlA(session, server.url("/"), nullptr, 0, kProbeUrlFlags, 0);
    ASSERT_NE(home, 0u);

    QTimer::singleShot(100, [&] { waiter.cancel(); });
    const Timed cancelled = openTimed(internet, session, stalled.url());
    EXPECT_EQ(cancelled.handle, 0u);
    EXPECT_LT(cancelled.took, 1s);
    EXPECT_TRUE(internet.InternetCloseHandle(session));
    EXPECT_FALSE(internet.InternetCloseHandle(home));
}
