#pragma once

#include <QCoreApplication>
#include <functional>
#include <string>
#include <vector>

#include "app/Platform.h"
#include "tests/support/FakeAdapterInfo.h"
#include "toolkit/Application.h"
#include "toolkit/Controls.h"

namespace testing_support {

// Records the errors the runtime would have shown.
class RecordingPresenter : public toolkit::ErrorPresenter {
public:
    void present(const toolkit::Error& error) override { shown.push_back(error); }
    std::vector<toolkit::Error> shown;
};

// OpenURL answering from a function (or raising), recording each URL.
class FakeTransfer : public probes::TransferService {
public:
    std::string OpenURL(const std::string& url) override;
    std::function<std::string(const std::string&)> answer = [](const std::string&) { return std::string(); };
    std::vector<std::string> requested;
};

// The internet session API answering with set handles (0 for none), and
// recording every call as text, e.g.
//   InternetOpenA({Qor} Lumenfold 1.5,0,null,null,0)
//   InternetOpenUrlA(16,http://example.com/,null,0,0x84400000,0)
//   InternetCloseHandle(32)
class FakeInternet : public probes::InternetApi {
public:
    probes::HINTERNET InternetOpenA(const std::string& agent, std::uint32_t accessType, const char* proxyName,
                                    const char* proxyBypass, std::uint32_t flags) override;
    probes::HINTERNET InternetOpenUrlA(probes::HINTERNET session, const std::string& url, const char* headers,
                                       std::uint32_t headersLength, std::uint32_t flags,
                                       std::uintptr_t context) override;
    bool InternetCloseHandle(probes::HINTERNET handle) override;

    probes::HINTERNET sessionHandle = 16;
    probes::HINTERNET urlHandle = 32;
    // Runs at the start of every call; may raise.
    std::function<void()> onCall = [] {};
    std::vector<std::string> calls;
};

// The local address answering from a function (or raising), counting reads.
class FakeLocalIp : public probes::LocalIpService {
public:
    std::string LocalIP() override;
    std::function<std::string()> answer = [] { return std::string("192.168.0.10"); };
    int reads = 0;
};

// The process-start service recording each command line with its window
// style; `onStart` may raise, as a start that fails does.
class FakeShell : public toolkit::ShellService {
public:
    struct Started {
        std::string commandLine;
        int windowStyle;
        bool operator==(const Started&) const = default;
    };
    void Shell(const std::string& commandLine, int windowStyle) override {
        started.push_back({commandLine, windowStyle});
        onStart(commandLine);
    }
    std::function<void(const std::string&)> onStart = [](const std::string&) {};
    std::vector<Started> started;
};

// A progress bar that records every message sent to its handle together
// with the value the bar had at that moment.
class RecordingProgressBar : public toolkit::ProgressBar {
public:
    using toolkit::ProgressBar::ProgressBar;
    struct Message {
        std::uint32_t message;
        std::intptr_t lParam;
        float valueThen;
    };
    std::intptr_t handleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        received.push_back({message, lParam, Value()});
        return toolkit::ProgressBar::handleMessage(message, wParam, lParam);
    }
    std::vector<Message> received;
};

// A Platform whose services are fakes; each can be replaced by a test.
struct FakePlatform {
    FakePlatform();
    app::Platform platform;
    FakeTransfer* transfer = nullptr;
    FakeInternet* internet = nullptr;
    FakeLocalIp* localIp = nullptr;
    FakeAdapterInfo* adapterInfo = nullptr;
    FakeShell* shell = nullptr;
};

// Runs the event loop until the predicate holds or the time is up; answers
// whether it held.
bool waitUntil(const std::function<bool()>& predicate, int timeoutMs = 5000);

// The whole content of a file, or empty when it cannot be read.
std::string readText(const std::string& path);

// Delivers the deferred deletions of unloaded windows.
void flushDeletions();

// Opens each tab once, as a user looking through the window would, and
// comes back to the first; a tab makes its controls when first opened.
void openEveryTab(toolkit::TabControl& tabs);

}  // namespace testing_support
