#pragma once

#include <QCoreApplication>
#include <functional>
#include <string>
#include <vector>

#include "app/Platform.h"
#include "tests/support/FakeAdapterInfo.h"
#include "toolkit/Application.h"

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

// A Platform whose services are fakes; each can be replaced by a test.
struct FakePlatform {
    FakePlatform();
    app::Platform platform;
    FakeTransfer* transfer = nullptr;
    FakeAdapterInfo* adapterInfo = nullptr;
};

// Runs the event loop until the predicate holds or the time is up; answers
// whether it held.
bool waitUntil(const std::function<bool()>& predicate, int timeoutMs = 5000);

// Delivers the deferred deletions of unloaded windows.
void flushDeletions();

}  // namespace testing_support
