#include "platform/linux/QtInternet.h"

#include <cstring>
#include <string_view>

#include "platform/linux/QtHttp.h"

namespace platform::gnulinux {

namespace {

// Extra request headers as the caller hands them: lines separated by CR LF,
// the length in characters or all ones for a NUL-terminated text. A line
// without a colon is no header and is left out.
void addHeaders(QNetworkRequest& request, const char* headers, std::uint32_t length) {
    if (!headers) return;
    const std::string_view text(headers, length == 0xFFFFFFFFu ? std::strlen(headers) : length);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && colon > 0) {
            const QByteArray value =
                QByteArray(line.data() + colon + 1, static_cast<qsizetype>(line.size() - colon - 1));
            request.setRawHeader(QByteArray(line.data(), static_cast<qsizetype>(colon)), value.trimmed());
        }
        start = end + 2;
    }
}

}  // namespace

QtInternet::QtInternet(toolkit::Waiter& waiter) : QtInternet(Options{}, waiter) {}
QtInternet::QtInternet(Options options, toolkit::Waiter& waiter) : options_(options), waiter_(waiter) {}

probes::HINTERNET QtInternet::InternetOpenA(const std::string& agent, std::uint32_t accessType, const char*,
                                            const char*, std::uint32_t flags) {
    if (accessType != probes::INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT) return 0;
    if (flags != 0) return 0;
    const HINTERNET handle = next_++;
    handles_[handle] = Entry{true, agent, accessType, 0, 0};
    return handle;
}

probes::HINTERNET QtInternet::InternetOpenUrlA(HINTERNET session, const std::string& url, const char* headers,
                                               std::uint32_t headersLength, std::uint32_t, std::uintptr_t) {
    const auto found = handles_.find(session);
    if (found == handles_.end() || !found->second.isSession) return 0;
    const QUrl target = toUrl(url);
    if (!isWebUrl(target)) return 0;

    QNetworkRequest request = makeRequest(target);
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(found->second.agent));
    request.setRawHeader("Pragma", "no-cache");
    addHeaders(request, headers, headersLength);

    int status = 0;
    const auto manager =
        makeManager(found->second.accessType == INTERNET_OPEN_TYPE_DIRECT ? Proxies::None : Proxies::System);
    QNetworkReply* reply = manager->get(request);  // owned by the manager
    // Qt reads the body ahead of the reader unless told not to; the open
    // ends at the status line, so the body is never wanted.
    reply->setReadBufferSize(1024);
    Deadline connect(*reply, options_.connectTimeout);
    Deadline answer(*reply, options_.answerTimeout);
    // Declared after what its connections use, so that it goes first.
    const QObject scope;
    QObject::connect(reply, &QNetworkReply::requestSent, &scope, [&connect] { connect.stop(); });
    // The status line and the headers are in: that is all the caller
    // learns, and stopping here keeps the body from ever being read.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &scope, [reply, &status] {
        if (status == 0 && hasStatus(*reply) && statusOf(*reply) >= 200) {
            status = statusOf(*reply);
            // After Qt has finished announcing the headers: aborting
            // inside the announcement makes it report an error twice.
            QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
        }
    });
    const bool waited = awaitReply(waiter_, *reply);
    // A reply without a body may finish before its headers were announced.
    if (waited && status == 0 && !connect.expired() && !answer.expired() && hasStatus(*reply) &&
        statusOf(*reply) >= 200)
        status = statusOf(*reply);
    if (status == 0) return 0;

    const HINTERNET handle = next_++;
    handles_[handle] = Entry{false, {}, 0, session, status};
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

int QtInternet::statusCode(HINTERNET urlHandle) const {
    const auto found = handles_.find(urlHandle);
    return found == handles_.end() || found->second.isSession ? 0 : found->second.status;
}

}  // namespace platform::gnulinux
