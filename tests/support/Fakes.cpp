#include "tests/support/Fakes.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QThread>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace testing_support {

std::string FakeTransfer::OpenURL(const std::string& url) {
    requested.push_back(url);
    return answer(url);
}

namespace {
std::string orNull(const char* text) { return text ? std::string(text) : std::string("null"); }
std::string hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}
}  // namespace

probes::HINTERNET FakeInternet::InternetOpenA(const std::string& agent, std::uint32_t accessType,
                                              const char* proxyName, const char* proxyBypass,
                                              std::uint32_t flags) {
    calls.push_back("InternetOpenA(" + agent + "," + std::to_string(accessType) + "," + orNull(proxyName) + "," +
                    orNull(proxyBypass) + "," + std::to_string(flags) + ")");
    onCall();
    return sessionHandle;
}

probes::HINTERNET FakeInternet::InternetOpenUrlA(probes::HINTERNET session, const std::string& url,
                                                 const char* headers, std::uint32_t headersLength,
                                                 std::uint32_t flags, std::uintptr_t context) {
    calls.push_back("InternetOpenUrlA(" + std::to_string(session) + "," + url + "," + orNull(headers) + "," +
                    std::to_string(headersLength) + "," + hex(flags) + "," + std::to_string(context) + ")");
    onCall();
    return urlHandle;
}

bool FakeInternet::InternetCloseHandle(probes::HINTERNET handle) {
    calls.push_back("InternetCloseHandle(" + std::to_string(handle) + ")");
    onCall();
    return handle != 0;
}

std::string FakeLocalIp::LocalIP() {
    ++reads;
    return answer();
}

FakePlatform::FakePlatform() {
    auto fakeTransfer = std::make_unique<FakeTransfer>();
    transfer = fakeTransfer.get();
    platform.transfer = std::move(fakeTransfer);
    auto fakeInternet = std::make_unique<FakeInternet>();
    internet = fakeInternet.get();
    platform.internet = std::move(fakeInternet);
    auto fakeLocalIp = std::make_unique<FakeLocalIp>();
    localIp = fakeLocalIp.get();
    platform.localIp = std::move(fakeLocalIp);
    auto fakeAdapterInfo = std::make_unique<FakeAdapterInfo>();
    adapterInfo = fakeAdapterInfo.get();
    platform.adapterInfo = std::move(fakeAdapterInfo);
    auto fakeShell = std::make_unique<FakeShell>();
    shell = fakeShell.get();
    platform.shell = std::move(fakeShell);
}

std::string readText(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
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

void openEveryTab(toolkit::TabControl& tabs) {
    for (int tab = 1; tab < tabs.Tabs(); ++tab) tabs.setTab(tab);
    tabs.setTab(0);
}

}  // namespace testing_support
