#include "tests/support/Fakes.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QThread>

namespace testing_support {

std::string FakeTransfer::OpenURL(const std::string& url) {
    requested.push_back(url);
    return answer(url);
}

FakePlatform::FakePlatform() {
    auto fakeTransfer = std::make_unique<FakeTransfer>();
    transfer = fakeTransfer.get();
    platform.transfer = std::move(fakeTransfer);
    auto fakeAdapterInfo = std::make_unique<FakeAdapterInfo>();
    adapterInfo = fakeAdapterInfo.get();
    platform.adapterInfo = std::move(fakeAdapterInfo);
}

bool waitUntil(const std::function<bool()>& predicate, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!predicate()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace testing_support
