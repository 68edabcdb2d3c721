// Proxy settings as the environment and the desktop give them. The input
// is NUL-separated: http_proxy, all_proxy, no_proxy, the request's host,
// then the desktop's answer, one proxy URL a line.
#include <QUrl>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/Proxies.h"

namespace gnulinux = platform::gnulinux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts(5);
    std::size_t part = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && part + 1 < parts.size())
            ++part;
        else
            parts[part] += static_cast<char>(data[i]);
    }
    const std::map<std::string, std::string> environment = {
        {"http_proxy", parts[0]}, {"all_proxy", parts[1]}, {"no_proxy", parts[2]}};
    const QUrl url(QStringLiteral("http://") +
                   QString::fromUtf8(parts[3].data(), static_cast<qsizetype>(parts[3].size())) + QStringLiteral("/"));
    const auto route = gnulinux::environmentProxy(url, [&](const char* name) {
        const auto found = environment.find(name);
        return found == environment.end() ? QByteArray() : QByteArray::fromStdString(found->second);
    });
    if (route && route->kind == gnulinux::ProxyRoute::Kind::Unusable && route->problem.empty()) __builtin_trap();
    static_cast<void>(gnulinux::parseEnvironmentProxy(parts[0]));

    std::vector<std::string> desktop;
    std::string_view lines = parts[4];
    while (!lines.empty()) {
        const std::size_t newline = lines.find('\n');
        desktop.emplace_back(lines.substr(0, newline));
        if (newline == std::string_view::npos) break;
        lines.remove_prefix(newline + 1);
    }
    const gnulinux::ProxyRoute fromDesktop = gnulinux::parseDesktopProxies(desktop);
    if (fromDesktop.kind != gnulinux::ProxyRoute::Kind::Direct &&
        fromDesktop.kind != gnulinux::ProxyRoute::Kind::Unusable && fromDesktop.host.isEmpty())
        __builtin_trap();
    return 0;
}
