#include "platform/linux/Proxies.h"

#include <QHostAddress>
#include <proxy.h>

#include <memory>

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

ProxyRoute unusable(std::string why) { return {ProxyRoute::Kind::Unusable, {}, 0, {}, {}, std::move(why)}; }

// A proxy URL whose scheme has been read: its host, port and credentials.
ProxyRoute routeThrough(ProxyRoute::Kind kind, const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty() || (!url.path().isEmpty() && url.path() != QLatin1String("/")) ||
        url.hasQuery() || url.hasFragment())
        return unusable("proxy address does not parse");
    const int port = url.port(1080);
    if (port <= 0) return unusable("proxy address does not parse");
    return {kind, url.host(), static_cast<quint16>(port), url.userName(), url.password(), {}};
}

// The scheme of a proxy URL, lower case, or empty when it has none; only
// letters, digits, '+', '-' and '.' make a scheme (RFC 3986).
QString schemeOf(const QString& text) {
    const qsizetype end = text.indexOf(QLatin1String("://"));
    if (end <= 0) return {};
    for (const QChar c : text.left(end))
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('+') && c != QLatin1Char('-') &&
            c != QLatin1Char('.'))
            return {};
    return text.left(end).toLower();
}

ProxyRoute parseProxyUrl(const QString& text, bool desktop) {
    QString address = text.trimmed();
    QString scheme = schemeOf(address);
    if (scheme.isEmpty()) {
        if (address.contains(QLatin1String("://"))) return unusable("proxy address does not parse");
        scheme = QStringLiteral("http");
        address.prepend(QLatin1String("http://"));
    }
    if (desktop && scheme == QLatin1String("direct")) return {};
    ProxyRoute::Kind kind = ProxyRoute::Kind::Unusable;
    if (scheme == QLatin1String("http"))
        kind = ProxyRoute::Kind::Http;
    else if (scheme == QLatin1String("socks5") || scheme == QLatin1String("socks5h") ||
             (desktop && scheme == QLatin1String("socks")))
        kind = ProxyRoute::Kind::Socks5;
    else
        return unusable("proxy scheme " + scheme.toStdString() + " not supported");
    return routeThrough(kind, QUrl(address, QUrl::StrictMode));
}

struct FactoryDeleter {
    void operator()(pxProxyFactory* factory) const { px_proxy_factory_free(factory); }
};

std::vector<std::string> askLibproxy(const QUrl& url) {
    const std::unique_ptr<pxProxyFactory, FactoryDeleter> factory(px_proxy_factory_new());
    if (!factory) return {};
    const std::unique_ptr<char*, decltype(&px_proxy_factory_free_proxies)> proxies(
        px_proxy_factory_get_proxies(factory.get(), url.toEncoded().constData()), &px_proxy_factory_free_proxies);
    std::vector<std::string> answer;
    for (char** entry = proxies.get(); entry && *entry; ++entry) answer.emplace_back(*entry);
    return answer;
}

}  // namespace

ProxyRoute parseEnvironmentProxy(std::string_view text) {
    return parseProxyUrl(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())), false);
}

std::optional<ProxyRoute> environmentProxy(const QUrl& url, const EnvironmentReader& read) {
    const QByteArray http = firstSet(read, {"http_proxy", "HTTP_PROXY"});
    const QByteArray https = firstSet(read, {"https_proxy", "HTTPS_PROXY"});
    const QByteArray all = firstSet(read, {"all_proxy", "ALL_PROXY"});
    if (http.isEmpty() && https.isEmpty() && all.isEmpty()) return std::nullopt;

    const QByteArray& named = url.scheme() == QLatin1String("https") ? https : http;
    const QByteArray& chosen = named.isEmpty() ? all : named;
    if (chosen.isEmpty() || bypasses(url.host(), firstSet(read, {"no_proxy", "NO_PROXY"}))) return ProxyRoute{};
    return parseEnvironmentProxy(std::string_view(chosen.constData(), static_cast<std::size_t>(chosen.size())));
}

ProxyRoute parseDesktopProxies(const std::vector<std::string>& answer) {
    if (answer.empty()) return {};
    const std::string& first = answer.front();
    ProxyRoute route = parseProxyUrl(QString::fromUtf8(first.data(), static_cast<qsizetype>(first.size())), true);
    if (route.kind == ProxyRoute::Kind::Unusable) route.problem = "desktop " + route.problem;
    return route;
}

ProxyRoute proxyFor(const QUrl& url) {
    if (auto fromEnvironment = environmentProxy(url, [](const char* name) { return qgetenv(name); }))
        return *fromEnvironment;
    return parseDesktopProxies(askLibproxy(url));
}

SystemProxiesWarmUp::SystemProxiesWarmUp(const QUrl& url) {
    if (environmentProxy(url, [](const char* name) { return qgetenv(name); })) return;
    // Without a thread the request looks up its proxy itself, as it always does.
    thread_ = toolkit::SmallThread::ifPossible([url] { askLibproxy(url); });
}

}  // namespace platform::gnulinux
