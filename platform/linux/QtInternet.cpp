#include "platform/linux/QtInternet.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/linux/QtHttp.h"

namespace platform::gnulinux {

namespace {

// Extra request headers as the caller hands them: lines separated by CR LF,
// the length in characters or all ones for a NUL-terminated text. A line
// without a colon is no header and is left out, as is one whose name is not
// a header name or whose value holds a lone CR or LF (it would start a line
// of its own on the wire); a GET has no body to frame.
HeaderList extraHeaders(const char* headers, std::uint32_t length) {
    HeaderList list;
    if (!headers) return list;
    const std::string_view text(headers, length == 0xFFFFFFFFu ? std::strlen(headers) : length);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 2;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        const QByteArray name(line.data(), static_cast<qsizetype>(colon));
        const QByteArray value =
            QByteArray(line.data() + colon + 1, static_cast<qsizetype>(line.size() - colon - 1)).trimmed();
        const bool nameIsToken = std::ranges::all_of(name, [](char c) {
            return c > 32 && c < 127 && std::string_view("\"(),/:;<=>?@[\\]{}").find(c) == std::string_view::npos;
        });
        if (!nameIsToken || value.contains('\r') || value.contains('\n') || value.contains('\0')) continue;
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0 ||
            name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0)
            continue;
        list.emplace_back(name, value);
    }
    return list;
}

}  // namespace

QtInternet::QtInternet(toolkit::Waiter& waiter) : QtInternet(Options{}, waiter) {}
QtInternet::QtInternet(Options options, toolkit::Waiter& waiter) : options_(std::move(options)), waiter_(waiter) {}

probes::HINTERNET QtInternet::InternetOpenA(const std::string& agent, std::uint32_t accessType, const char*,
                                            const char*, std::uint32_t flags) {
    if (accessType != probes::INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT) return 0;
    if (flags != 0) return 0;
    const HINTERNET handle = next_++;
    handles_[handle] = Entry{true, agent, accessType, 0};
    return handle;
}

probes::HINTERNET QtInternet::InternetOpenUrlA(HINTERNET session, const std::string& url, const char* headers,
                                               std::uint32_t headersLength, std::uint32_t, std::uintptr_t) {
    const auto found = handles_.find(session);
    if (found == handles_.end() || !found->second.isSession) return 0;
    if (!siteAnswered(url, found->second, headers, headersLength)) return 0;

    const HINTERNET handle = next_++;
    handles_[handle] = Entry{false, {}, 0, session};
    return handle;
}

bool QtInternet::InternetCloseHandle(HINTERNET handle) {
    const auto found = handles_.find(handle);
    if (handle == 0 || found == handles_.end()) return false;
    if (found->second.isSession)
        std::erase_if(handles_, [handle](const auto& item) { return item.second.session == handle; });
    handles_.erase(handle);
    return true;
}

bool QtInternet::siteAnswered(const std::string& url, const Entry& session, const char* headers,
                              std::uint32_t headersLength) {
    const auto failed = [this](const std::string& why) {
        if (options_.report) options_.report(options_.what + " failed: " + why);
        return false;
    };
    const QUrl target = toUrl(url);
    if (!isWebUrl(target)) return failed("not an http address");

    HttpGet get;
    get.url = target;
    get.route = session.accessType == INTERNET_OPEN_TYPE_DIRECT ? ProxyRoute{} : proxyFor(target);
    get.headers = {{"User-Agent", QByteArray::fromStdString(session.agent)}, {"Pragma", "no-cache"}};
    for (auto& header : extraHeaders(headers, headersLength)) get.headers.push_back(std::move(header));
    // The open ends at the final status line and headers: the body is
    // never wanted.
    get.want = HttpReplyReader::Want::Headers;
    get.connectTimeout = options_.connectTimeout;
    get.answerTimeout = options_.answerTimeout;
    HttpExchange exchange(get);
    const HttpOutcome outcome = runGet(waiter_, exchange);
    if (outcome.kind != HttpOutcome::Kind::Answered) return failed(outcome.problem);

    const int status = exchange.reply().status();
    if (status == 407) return failed("HTTP 407: the proxy asks for credentials");
    if (get.route.kind == ProxyRoute::Kind::Http && (status == 502 || status == 504))
        return failed("HTTP " + std::to_string(status) + " from the proxy: it did not reach the site");
    return true;
}

}  // namespace platform::gnulinux
