#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/SmallThread.h"

namespace platform::gnulinux {

// Which way one request goes: straight to the site, through an HTTP proxy
// (which is sent the whole URL) or through a SOCKS5 proxy, or nowhere,
// because the setting names a proxy that cannot be used: such a request
// fails with nothing sent, rather than going out past the proxy the user
// set.
struct ProxyRoute {
    enum class Kind { Direct, Http, Socks5, Unusable };
    Kind kind = Kind::Direct;
    QString host;
    quint16 port = 0;
    QString user;
    QString password;
    // For Unusable: why, as one line ("proxy scheme socks4 not supported").
    // It never repeats the setting itself, which may hold a password.
    std::string problem;

    bool operator==(const ProxyRoute&) const = default;
};

// Reads one environment variable; empty when unset.
using EnvironmentReader = std::function<QByteArray(const char* name)>;

// A proxy as the environment gives one: host:port, http://host:port or
// socks5://host:port (socks5h:// alike), with an optional user:password@
// before the host; without a scheme an HTTP proxy, without a port 1080.
// Anything else is Unusable.
ProxyRoute parseEnvironmentProxy(std::string_view text);

// The proxy the environment names for `url`, read the way command-line
// web tools read it: http_proxy or HTTP_PROXY for http (libproxy, asked
// when the environment names none, reads HTTP_PROXY as well, so reading it
// here keeps one rule), https_proxy or HTTPS_PROXY for https, all_proxy or
// ALL_PROXY for either when the first is unset; no_proxy or NO_PROXY lists
// host names (a name also covers its subdomains), addresses, address
// ranges (10.0.0.0/8) or "*" to go direct. Empty when the environment names
// no proxy at all.
std::optional<ProxyRoute> environmentProxy(const QUrl& url, const EnvironmentReader& read);

// The route the desktop's settings give, from libproxy's answer for a URL:
// a list of proxy URLs in the order to try, "direct://" for none. The first
// decides; one that cannot be used makes the route Unusable. No answer at
// all is direct.
ProxyRoute parseDesktopProxies(const std::vector<std::string>& answer);

// The environment's proxy when it names one, otherwise the desktop's
// settings as libproxy reads them (the GNOME or KDE settings, a PAC file).
// Asked for every request, so a changed setting counts from the next one.
ProxyRoute proxyFor(const QUrl& url);

// Asks the desktop's proxy settings for `url` once, on a thread of its own,
// when the environment names no proxy for it. The first question is slow
// (libproxy loads its modules and reads the settings, milliseconds): asked
// early, it overlaps other start-up work instead of holding up the first
// request, which still asks for itself. Waits for the answer when
// destroyed; without a thread to be had it does nothing.
class SystemProxiesWarmUp final {
public:
    explicit SystemProxiesWarmUp(const QUrl& url);

private:
    toolkit::SmallThread thread_;
};

}  // namespace platform::gnulinux
