#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <string>

#include "toolkit/Waiter.h"

namespace platform::gnulinux {

// What both web requests share on Qt Network: one GET, sent to the server
// every time, that never follows a redirect, waited for on the UI thread.

// http and https only: Qt would also open file:, data: and qrc: URLs.
bool isWebUrl(const QUrl& url);
QUrl toUrl(const std::string& url);

enum class Proxies {
    System,  // what the environment and the desktop's settings say
    None,
};
// A manager for one request; its replies go with it.
std::unique_ptr<QNetworkAccessManager> makeManager(Proxies proxies);

// GET with no redirect followed, nothing taken from or put into a cache,
// "Cache-Control: no-cache" so that no cache on the way answers either,
// "Accept: */*" and no content coding.
QNetworkRequest makeRequest(const QUrl& url);

// Aborts a reply when a time limit runs out, and remembers that it did.
class Deadline {
public:
    Deadline(QNetworkReply& reply, std::chrono::milliseconds limit);
    void stop() { timer_.stop(); }
    bool expired() const noexcept { return expired_; }

private:
    QTimer timer_;
    bool expired_ = false;
};

// Serves the UI thread through `waiter` until `reply` has finished. A
// cancelled wait aborts the reply and answers false.
bool awaitReply(toolkit::Waiter& waiter, QNetworkReply& reply);

// Whether the server answered with a status line (any status).
bool hasStatus(const QNetworkReply& reply);
int statusOf(const QNetworkReply& reply);

}  // namespace platform::gnulinux
