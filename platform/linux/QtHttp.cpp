#include "platform/linux/QtHttp.h"

#include "platform/linux/Proxies.h"
#include "toolkit/Waiter.h"

namespace platform::gnulinux {

bool isWebUrl(const QUrl& url) {
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QUrl toUrl(const std::string& url) { return QUrl(QString::fromStdString(url), QUrl::StrictMode); }

std::unique_ptr<QNetworkAccessManager> makeManager(Proxies proxies) {
    auto manager = std::make_unique<QNetworkAccessManager>();
    if (proxies == Proxies::None)
        manager->setProxy(QNetworkProxy::NoProxy);
    else
        manager->setProxyFactory(new SystemProxies);  // owned by the manager
    return manager;
}

QNetworkRequest makeRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Accept", "*/*");
    // The reply as sent: nothing to unpack, so the 1 MiB cap is on the
    // bytes that arrive, and no small reply can unpack into a huge one.
    request.setRawHeader("Accept-Encoding", "identity");
    // Our own limits apply; Qt's inactivity limit would cut a slow answer
    // short of them.
    request.setTransferTimeout(0);
    return request;
}

Deadline::Deadline(QNetworkReply& reply, std::chrono::milliseconds limit) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &reply, [this, &reply] {
        expired_ = true;
        reply.abort();
    });
    timer_.start(limit);
}

bool awaitReply(toolkit::Waiter& waiter, QNetworkReply& reply) {
    if (reply.isFinished()) return true;
    try {
        waiter.waitUntil(&reply, &QNetworkReply::finished);
        return true;
    } catch (const toolkit::WaitCancelled&) {
        reply.abort();
        return false;
    }
}

bool hasStatus(const QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

int statusOf(const QNetworkReply& reply) { return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); }

}  // namespace platform::gnulinux
