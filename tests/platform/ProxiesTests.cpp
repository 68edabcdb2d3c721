// The proxy the environment names, and a fetch through a real forwarding
// proxy on loopback.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/linux/Proxies.h"
#include "platform/linux/QtTransfer.h"
#include "tests/support/HttpServer.h"
#include "toolkit/Waiter.h"

using platform::gnulinux::environmentProxy;
using platform::gnulinux::ProxyRoute;
using testing_support::HttpServer;

namespace {

// "host:port" of the proxy, "direct", "unusable" or
// "none named".
std::string proxyFor(const char* url, const std::map<std::string, std::string>& environment) {
    const auto route = environmentProxy(QUrl(QString::fromLatin1(url)), [&](const char* name) {
        const auto found = environment.find(name);
        return found == environment.end() ? QByteArray() : QByteArray::fromStdString(found->second);
    });
    if (!route) return "none named";
    if (route->kind == ProxyRoute::Kind::Unusable) return "unusable";
    if (route->kind == ProxyRoute::Kind::Direct) return "direct";
    return (route->kind == ProxyRoute::Kind::Socks5 ? "socks5 " : "") + route->host.toStdString() + ":" +
           std::to_string(route->port);
}

TEST(EnvironmentProxies, ChoosesByScheme) {
    EXPECT_EQ(proxyFor("http://api.ipify.org/", {}), "none named");
    EXPECT_EQ(proxyFor("http://api.ipify.org/", {{"http_proxy", "http://p:3128"}}), "p:3128");
    EXPECT_EQ(proxyFor("https://api.ipify.org/", {{"http_proxy", "http://p:3128"}}), "direct");
    EXPECT_EQ(proxyFor("https://api.ipify.org/", {{"HTTPS_PROXY", "http://s:3129"}}), "s:3129");
    EXPECT_EQ(proxyFor("http://api.ipify.org/", {{"ALL_PROXY", "a:8080"}}), "a:8080");
    EXPECT_EQ(proxyFor("http://api.ipify.org/", {{"http_proxy", "http://p:3128"}, {"all_proxy", "a:8080"}}),
              "p:3128");
    // Without a port, 1080; socks5 works, what Qt cannot speak fails the request.
    EXPECT_EQ(proxyFor("http://api.ipify.org/", {{"http_proxy", "p"}}), "p:1080");
    EXPECT_EQ(proxyFor("http://api.ipify.org/", {{"all_proxy", "socks5h://s:1081"}}), "socks5 s:1081");
    EXPECT_EQ(proxyFor("http://api.ipify.org/", {{"all_proxy", "socks4://s:1081"}}), "unusable");
}

TEST(EnvironmentProxies, NoProxyListsHostsDomainsAndAddresses) {
    const auto through = [](const char* url, const char* noProxy) {
        return proxyFor(url, {{"http_proxy", "p:3128"}, {"NO_PROXY", noProxy}});
    };
    EXPECT_EQ(through("http://api.ipify.org/", "*"), "direct");
    EXPECT_EQ(through("http://api.ipify.org/", "localhost, ipify.org"), "direct");
    EXPECT_EQ(through("http://API.ipify.org/", ".ipify.org"), "direct");
    EXPECT_EQ(through("http://notipify.org/", "ipify.org"), "p:3128");
    EXPECT_EQ(through("http://10.1.2.3/", "10.0.0.0/8"), "direct");
    EXPECT_EQ(through("http://11.1.2.3/", "10.0.0.0/8,11.1.2.4"), "p:3128");
    EXPECT_EQ(through("http://[::1]/", "::1"), "direct");
}

// The fetch goes to the proxy the environment names, which forwards it: the
// name of the address service is never resolved here.
TEST(EnvironmentProxies, FetchGoesThroughAForwardingProxy) {
    HttpServer origin([](httplib::Server& s) {
        s.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content("203.0.113.9", "text/plain"); });
    });
    std::mutex mutex;
    std::string target, host;
    HttpServer proxy([&](httplib::Server& s) {
        s.Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex);
                target = req.target;
                host = req.get_header_value("Host");
            }
            httplib::Client upstream("127.0.0.1", origin.port());
            if (auto answer = upstream.Get("/")) {
                res.status = answer->status;
                res.set_content(answer->body, "text/plain");
            } else {
                res.status = 502;
            }
        });
    });
    ASSERT_TRUE(origin.ok() && proxy.ok());
    const QByteArray saved = qgetenv("http_proxy");
    qputenv("http_proxy", QByteArray::fromStdString("http://127.0.0.1:" + std::to_string(proxy.port())));
    toolkit::Waiter waiter;
    platform::gnulinux::QtTransfer transfer(waiter);
    std::string reply;
    EXPECT_NO_THROW(reply = transfer.OpenURL("http://address.lumenfold.invalid/"));
    if (saved.isEmpty()) qunsetenv("http_proxy"); else qputenv("http_proxy", saved);
    EXPECT_EQ(reply, "203.0.113.9");
    std::lock_guard lock(mutex);
    EXPECT_EQ(target, "http://address.lumenfold.invalid/");
    EXPECT_EQ(host, "address.lumenfold.invalid");
}

// The request's own look-up runs while the warm-up still asks the desktop's
// settings on its thread: both must be answered (no dead lock between the
// two askers), and the request still goes out direct to loopback.
TEST(SystemProxiesWarmUp, ARequestMadeWhileItAsksIsAnsweredDirect) {
    HttpServer origin([](httplib::Server& s) {
        s.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content("203.0.113.7", "text/plain"); });
    });
    ASSERT_TRUE(origin.ok());
    const std::string url = "http://127.0.0.1:" + std::to_string(origin.port()) + "/";
    toolkit::Waiter waiter;
    platform::gnulinux::QtTransfer transfer(waiter);
    std::string reply;
    {
        const platform::gnulinux::SystemProxiesWarmUp warmUp(QUrl(QString::fromStdString(url)));
        EXPECT_NO_THROW(reply = transfer.OpenURL(url));
    }
    EXPECT_EQ(reply, "203.0.113.7");
}

}  // namespace
