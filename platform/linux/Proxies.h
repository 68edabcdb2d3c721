#pragma once

#include <QList>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QUrl>

#include <functional>
#include <optional>
#include <thread>

namespace platform::gnulinux {

// Reads one environment variable; empty when unset.
using EnvironmentReader = std::function<QByteArray(const char* name)>;

// The proxy the environment names for `url`, read the way command-line
// web tools read it: http_proxy or HTTP_PROXY for http (libproxy, asked
// when the environment names none, reads HTTP_PROXY as well, so reading it
// here keeps one rule), https_proxy or HTTPS_PROXY for https, all_proxy or ALL_PROXY for either when the first
// is unset; no_proxy or NO_PROXY lists host names (a name also covers its
// subdomains), addresses, address ranges (10.0.0.0/8) or "*" to go direct.
// A proxy without a scheme is an HTTP proxy; without a port, port 1080.
// Empty optional: the environment names no proxy at all for any request.
// An empty list: it names one that Qt cannot use (socks4, https), so the
// request fails rather than going out direct.
std::optional<QList<QNetworkProxy>> environmentProxies(const QUrl& url, const EnvironmentReader& read);

// The environment's proxies when it names any, otherwise the desktop's
// proxy settings as Qt reads them (on Debian through libproxy: the GNOME or
// KDE settings, a PAC file). Asked for every request, so a changed setting
// counts from the next request on.
class SystemProxies final : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;
};

// Asks the desktop's proxy settings for `url` once, on a thread of its own,
// when the environment names no proxy for it. The first such question is
// slow (libproxy loads its modules and reads the settings, milliseconds):
// asked early, it overlaps other start-up work instead of holding up the
// first request, which still asks for itself. Waits for the answer when
// destroyed.
class SystemProxiesWarmUp final {
public:
    explicit SystemProxiesWarmUp(const QUrl& url);

private:
    std::jthread thread_;
};

}  // namespace platform::gnulinux
