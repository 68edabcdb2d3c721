#include "platform/linux/QtTransfer.h"

#include "platform/linux/QtHttp.h"
#include "toolkit/Error.h"

namespace platform::gnulinux {

namespace {
constexpr const char* kSource = "Inet";
namespace errors = probes::transfer_errors;
}  // namespace

QtTransfer::QtTransfer(toolkit::Waiter& waiter) : QtTransfer(Options{}, waiter) {}
QtTransfer::QtTransfer(Options options, toolkit::Waiter& waiter) : options_(std::move(options)), waiter_(waiter) {}

std::string QtTransfer::OpenURL(const std::string& url) {
    try {
        return fetch(url);
    } catch (const toolkit::Error& error) {
        if (options_.report) options_.report(options_.what + " failed: " + error.description());
        throw;
    }
}

std::string QtTransfer::fetch(const std::string& url) {
    const QUrl target = toUrl(url);
    if (!isWebUrl(target)) throw toolkit::Error(errors::RequestFailed, kSource, "not an http address");

    HttpGet get;
    get.url = target;
    get.route = proxyFor(target);
    get.want = HttpReplyReader::Want::Body;
    get.maxBodyBytes = options_.maxBodyBytes;
    get.connectTimeout = options_.requestTimeout;
    get.answerTimeout = options_.requestTimeout;
    HttpExchange exchange(get);
    const HttpOutcome outcome = runGet(waiter_, exchange);

    switch (outcome.kind) {
    case HttpOutcome::Kind::Answered:
        break;
    case HttpOutcome::Kind::ConnectFailed:
        throw toolkit::Error(errors::ConnectFailed, kSource, outcome.problem);
    case HttpOutcome::Kind::TooLarge:
        throw toolkit::Error(errors::ReplyTooLarge, kSource, outcome.problem);
    case HttpOutcome::Kind::TimedOut:
        throw toolkit::Error(errors::RequestTimedOut, kSource, outcome.problem);
    default:
        throw toolkit::Error(errors::RequestFailed, kSource, outcome.problem);
    }
    // Only a final 2xx carries the document; any other status is the
    // server's (or a proxy's) word that there is none.
    const int status = exchange.reply().status();
    if (status < 200 || status > 299)
        throw toolkit::Error(errors::RequestFailed, kSource, "HTTP " + std::to_string(status));
    return exchange.reply().body();
}

}  // namespace platform::gnulinux
