#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/HttpReply.h"
#include "platform/linux/Proxies.h"
#include "toolkit/Waiter.h"

namespace platform::gnulinux {

// What both web requests share: one GET of a plain http URL on a
// connection of its own, written once and never again (a connection that
// breaks fails the request; nothing is retried), that follows no
// redirect, takes nothing from a cache and asks every cache on the way not
// to answer ("Cache-Control: no-cache"), asks for no content coding, and
// is waited for on the UI thread.

// http only: Lumenfold's own requests are plain HTTP.
bool isWebUrl(const QUrl& url);
QUrl toUrl(const std::string& url);

// Writes one line to standard error: where a failed request says why, as
// nothing on screen does.
void writeToStandardError(const std::string& line);

using HeaderList = std::vector<std::pair<QByteArray, QByteArray>>;

struct HttpGet {
    QUrl url;
    ProxyRoute route;
    // Sent after the defaults, each replacing a default of the same name.
    HeaderList headers;
    HttpReplyReader::Want want = HttpReplyReader::Want::Body;
    std::size_t maxBodyBytes = 0;
    // Name resolution and the connection, until the request is written.
    std::chrono::milliseconds connectTimeout{0};
    // The whole exchange.
    std::chrono::milliseconds answerTimeout{0};
};

// The request's bytes as they go on the wire: the whole URL as target
// through an HTTP proxy, the path and query otherwise.
QByteArray requestBytes(const HttpGet& get);

struct HttpOutcome {
    enum class Kind {
        Answered,       // the reply reader has the reply (as far as wanted)
        NotSent,        // the route cannot be used: nothing went out
        ConnectFailed,  // the name did not resolve, or the connection was refused
        Failed,         // the connection broke, or the reply was refused
        TooLarge,
        TimedOut,
        Cancelled,
    };
    Kind kind = Kind::Failed;
    // Why, for all but Answered: one line for a person to read.
    std::string problem;
};

// One exchange on the UI thread's event loop; `finished` once it has an
// outcome.
class HttpExchange : public QObject {
    Q_OBJECT
public:
    explicit HttpExchange(const HttpGet& get);
    ~HttpExchange() override;
    HttpExchange(const HttpExchange&) = delete;
    HttpExchange& operator=(const HttpExchange&) = delete;
    bool done() const noexcept { return done_; }
    const HttpOutcome& outcome() const noexcept { return outcome_; }
    const HttpReplyReader& reply() const noexcept { return reader_; }
    // Ends the exchange now with this outcome, unless it already has one.
    void finish(HttpOutcome::Kind kind, std::string problem);

signals:
    void finished();

private:
    void onConnected();
    void onReadable();
    void onError(QAbstractSocket::SocketError error);
    void takeState(HttpReplyReader::State state);

    HttpReplyReader reader_;
    QByteArray request_;
    QTcpSocket socket_;
    QTimer connectDeadline_;
    QTimer answerDeadline_;
    bool sent_ = false;
    bool done_ = false;
    HttpOutcome outcome_;
};

// Runs `get` through `waiter` and answers how it ended; a cancelled wait
// ends it at once.
HttpOutcome runGet(toolkit::Waiter& waiter, HttpExchange& exchange);

}  // namespace platform::gnulinux
