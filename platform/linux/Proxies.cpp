#include "platform/linux/Proxies.h"
#include <system_error>

#include <QHostAddress>

namespace platform::gnulinux {

namespace {

QByteArray firstSet(const EnvironmentReader& read, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (QByteArray value = read(name).trimmed(); !value.isEmpty()) return value;
    return {};
}

bool bypasses(const QString& host, const QByteArray& noProxy) {
    const QString target = host.toLower();
    const QHostAddress address(target);
    for (QString entry : QString::fromLocal8Bit(noProxy).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        entry = entry.trimmed().toLower();
        if (entry == QLatin1String("*")) return true;
        if (!address.isNull()) {
            if (entry.contains(QLatin1Char('/'))) {
                const auto subnet = QHostAddress::parseSubnet(entry);
                if (!subnet.first.isNull() && address.isInSubnet(subnet)) return true;
            } else if (QHostAddress(entry) == address) {
                return true;
            }
            continue;
        }
        if (entry.startsWith(QLatin1Char('.'))) entry.remove(0, 1);
        if (entry.isEmpty()) continue;
        if (target == entry || target.endsWith(QLatin1Char('.') + entry)) return true;
    }
    return false;
}

QList<QNetworkProxy> parseProxy(const QByteArray& text) {
    QString address = QString::fromLocal8Bit(text);
    if (!address.contains(QLatin1String("://"))) address.prepend(QLatin1String("http://"));
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    QNetworkProxy::ProxyType type = QNetworkProxy::HttpProxy;
    if (scheme == QLatin1String("socks5") || scheme == QLatin1String("socks5h"))
        type = QNetworkProxy::Socks5Proxy;
    else if (scheme != QLatin1String("http"))
        return {};
    if (!url.isValid() || url.host().isEmpty()) return {};
    QNetworkProxy proxy(type, url.host(), static_cast<quint16>(url.port(1080)), url.userName(), url.password());
    return {proxy};
}

}  // namespace

std::optional<QList<QNetworkProxy>> environmentProxies(const QUrl& url, const EnvironmentReader& read) {
    const QByteArray http = firstSet(read, {"http_proxy", "HTTP_PROXY"});
    const QByteArray https = firstSet(read, {"https_proxy", "HTTPS_PROXY"});
    const QByteArray all = firstSet(read, {"all_proxy", "ALL_PROXY"});
    if (http.isEmpty() && https.isEmpty() && all.isEmpty()) return std::nullopt;

    const QList<QNetworkProxy> direct{QNetworkProxy(QNetworkProxy::NoProxy)};
    const QByteArray& named = url.scheme() == QLatin1String("https") ? https : http;
    const QByteArray& chosen = named.isEmpty() ? all : named;
    if (chosen.isEmpty() || bypasses(url.host(), firstSet(read, {"no_proxy", "NO_PROXY"}))) return direct;
    return parseProxy(chosen);
}

QList<QNetworkProxy> SystemProxies::queryProxy(const QNetworkProxyQuery& query) {
    const auto fromEnvironment = environmentProxies(query.url(), [](const char* name) { return qgetenv(name); });
    if (fromEnvironment) return *fromEnvironment;
    return systemProxyForQuery(query);
}

SystemProxiesWarmUp::SystemProxiesWarmUp(const QUrl& url) {
    if (environmentProxies(url, [](const char* name) { return qgetenv(name); })) return;
    try {
        thread_ = std::jthread([url] { QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url)); });
    } catch (const std::system_error&) {
        // Only a head start: without a thread the request looks up its
        // proxy itself, as it always does.
    }
}

}  // namespace platform::gnulinux
