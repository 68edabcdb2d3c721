#include "platform/linux/QtHttp.h"

#include <QNetworkProxy>

#include <cstdio>

#include "toolkit/Waiter.h"

namespace platform::gnulinux {

namespace {

bool sameName(const QByteArray& a, const QByteArray& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

void put(HeaderList& headers, const QByteArray& name, const QByteArray& value) {
    for (auto& [existing, old] : headers)
        if (sameName(existing, name)) {
            old = value;
            return;
        }
    headers.emplace_back(name, value);
}

QByteArray hostHeader(const QUrl& url) {
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':')) host = '[' + host + ']';
    if (url.port() != -1 && url.port() != 80) host += ':' + QByteArray::number(url.port());
    return host;
}

}  // namespace

void writeToStandardError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

bool isWebUrl(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() && url.scheme() == QLatin1String("http");
}

QUrl toUrl(const std::string& url) { return QUrl(QString::fromStdString(url), QUrl::StrictMode); }

QByteArray requestBytes(const HttpGet& get) {
    const bool proxied = get.route.kind == ProxyRoute::Kind::Http;
    QByteArray target;
    if (proxied) {
        target = get.url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded();
    } else {
        target = get.url.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty()) target = "/";
        if (get.url.hasQuery()) target += '?' + get.url.query(QUrl::FullyEncoded).toLatin1();
    }
    HeaderList headers{{"Host", hostHeader(get.url)},
                       {"Accept", "*/*"},
                       // The reply as sent: nothing to unpack, so the cap is on the
                       // bytes that arrive, and no small reply unpacks into a huge one.
                       {"Accept-Encoding", "identity"},
                       {"Cache-Control", "no-cache"},
                       {"Connection", "close"}};
    if (proxied && !get.route.user.isEmpty()) {
        const QByteArray credentials = (get.route.user + QLatin1Char(':') + get.route.password).toUtf8();
        headers.emplace_back("Proxy-Authorization", "Basic " + credentials.toBase64());
    }
    for (const auto& [name, value] : get.headers) put(headers, name, value);

    QByteArray bytes = "GET " + target + " HTTP/1.1\r\n";
    for (const auto& [name, value] : headers) bytes += name + ": " + value + "\r\n";
    return bytes + "\r\n";
}

HttpExchange::HttpExchange(const HttpGet& get) : reader_(get.want, get.maxBodyBytes), request_(requestBytes(get)) {
    if (get.route.kind == ProxyRoute::Kind::Unusable) {
        finish(HttpOutcome::Kind::NotSent, get.route.problem);
        return;
    }
    connect(&socket_, &QTcpSocket::connected, this, &HttpExchange::onConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &HttpExchange::onReadable);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &HttpExchange::onError);
    connectDeadline_.setSingleShot(true);
    answerDeadline_.setSingleShot(true);
    connect(&connectDeadline_, &QTimer::timeout, this,
            [this] { finish(HttpOutcome::Kind::TimedOut, "no connection within the time allowed"); });
    connect(&answerDeadline_, &QTimer::timeout, this,
            [this] { finish(HttpOutcome::Kind::TimedOut, "no reply within the time allowed"); });
    connectDeadline_.start(get.connectTimeout);
    answerDeadline_.start(get.answerTimeout);

    switch (get.route.kind) {
    case ProxyRoute::Kind::Socks5:
        socket_.setProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, get.route.host, get.route.port, get.route.user,
                                       get.route.password));
        socket_.connectToHost(get.url.host(), static_cast<quint16>(get.url.port(80)));
        break;
    case ProxyRoute::Kind::Http:
        socket_.setProxy(QNetworkProxy::NoProxy);
        socket_.connectToHost(get.route.host, get.route.port);
        break;
    default:
        socket_.setProxy(QNetworkProxy::NoProxy);
        socket_.connectToHost(get.url.host(), static_cast<quint16>(get.url.port(80)));
        break;
    }
}

HttpExchange::~HttpExchange() {
    // The socket's own ending must not call back into a half-destroyed exchange.
    socket_.disconnect(this);
    socket_.abort();
}

void HttpExchange::finish(HttpOutcome::Kind kind, std::string problem) {
    if (done_) return;
    done_ = true;
    outcome_ = {kind, std::move(problem)};
    connectDeadline_.stop();
    answerDeadline_.stop();
    socket_.disconnect(this);
    socket_.abort();
    emit finished();
}

void HttpExchange::onConnected() {
    connectDeadline_.stop();
    // Written once: whatever becomes of this connection, the request is
    // never sent again.
    socket_.write(request_);
    sent_ = true;
}

void HttpExchange::takeState(HttpReplyReader::State state) {
    switch (state) {
    case HttpReplyReader::State::Done:
        finish(HttpOutcome::Kind::Answered, {});
        break;
    case HttpReplyReader::State::Refused:
        finish(HttpOutcome::Kind::Failed, reader_.problem());
        break;
    case HttpReplyReader::State::TooLarge:
        finish(HttpOutcome::Kind::TooLarge, "the reply is larger than allowed");
        break;
    case HttpReplyReader::State::Reading:
        break;
    }
}

void HttpExchange::onReadable() {
    const QByteArray bytes = socket_.readAll();
    takeState(reader_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

void HttpExchange::onError(QAbstractSocket::SocketError error) {
    if (done_) return;
    if (error == QAbstractSocket::RemoteHostClosedError && sent_) {
        onReadable();
        if (!done_) takeState(reader_.end());
        return;
    }
    const std::string why = socket_.errorString().toStdString();
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyNotFoundError:
        if (!sent_) {
            finish(HttpOutcome::Kind::ConnectFailed, why);
            return;
        }
        break;
    default:
        break;
    }
    finish(HttpOutcome::Kind::Failed, sent_ ? "the connection broke: " + why : why);
}

HttpOutcome runGet(toolkit::Waiter& waiter, HttpExchange& exchange) {
    if (!exchange.done()) {
        try {
            waiter.waitUntil(&exchange, &HttpExchange::finished);
        } catch (const toolkit::WaitCancelled&) {
            exchange.finish(HttpOutcome::Kind::Cancelled, "the request was cancelled");
        }
    }
    return exchange.outcome();
}

}  // namespace platform::gnulinux
