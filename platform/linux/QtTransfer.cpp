#include "platform/linux/QtTransfer.h"

#include "platform/linux/QtHttp.h"
#include "toolkit/Error.h"

namespace platform::gnulinux {

namespace {
constexpr const char* kSource = "Inet";
namespace errors = probes::transfer_errors;

// Replies whose error only reflects the HTTP status: the body is the answer.
bool onlyTheStatus(QNetworkReply::NetworkError error) {
    const int code = static_cast<int>(error);
    return error == QNetworkReply::NoError || (code >= QNetworkReply::ContentAccessDenied && code <= 299) ||
           (code >= QNetworkReply::InternalServerError && code <= QNetworkReply::UnknownServerError);
}

bool connectFailed(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
        return true;
    default:
        return false;
    }
}
}  // namespace

QtTransfer::QtTransfer(toolkit::Waiter& waiter) : QtTransfer(Options{}, waiter) {}
QtTransfer::QtTransfer(Options options, toolkit::Waiter& waiter) : options_(options), waiter_(waiter) {}

std::string QtTransfer::OpenURL(const std::string& url) {
    const QUrl target = toUrl(url);
    if (!isWebUrl(target))
        throw toolkit::Error(errors::RequestFailed, kSource, "Request failed: not an http or https address");

    const auto manager = makeManager(Proxies::System);
    QNetworkReply* reply = manager->get(makeRequest(target));  // owned by the manager
    std::string body;
    bool overflowed = false;
    const auto collect = [&] {
        const QByteArray chunk = reply->readAll();
        if (body.size() + static_cast<std::size_t>(chunk.size()) > options_.maxBodyBytes) {
            overflowed = true;
            reply->abort();
            return;
        }
        body.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    };
    // Declared last, so that it goes first: no late signal reaches the
    // reader once the locals it uses are gone.
    const QObject scope;
    QObject::connect(reply, &QNetworkReply::readyRead, &scope, [&] {
        if (!overflowed) collect();
    });
    Deadline deadline(*reply, options_.requestTimeout);
    const bool answered = awaitReply(waiter_, *reply);
    deadline.stop();
    if (answered && !overflowed && !deadline.expired()) collect();

    if (overflowed) throw toolkit::Error(errors::ReplyTooLarge, kSource, "The reply is larger than allowed");
    if (deadline.expired()) throw toolkit::Error(errors::RequestTimedOut, kSource, "Request timed out");
    if (!answered) throw toolkit::Error(errors::RequestFailed, kSource, "Request failed: the request was cancelled");
    const QNetworkReply::NetworkError error = reply->error();
    if (hasStatus(*reply) && onlyTheStatus(error)) return body;
    const std::string why = reply->errorString().toStdString();
    if (connectFailed(error))
        throw toolkit::Error(errors::ConnectFailed, kSource, "Unable to connect to remote host: " + why);
    throw toolkit::Error(errors::RequestFailed, kSource, "Request failed: " + why);
}

}  // namespace platform::gnulinux
