#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <type_traits>
#include <utility>
#include <vector>

#include "toolkit/SmallThread.h"

namespace toolkit {

// Thrown by Waiter::wait when the wait was cancelled before its work ended.
class WaitCancelled : public std::runtime_error {
public:
    WaitCancelled() : std::runtime_error("The wait was cancelled") {}
};

// Lets a handler on the UI thread wait for a result: from a call that can
// block on I/O, run on a worker thread (wait), or from asynchronous work on
// the UI thread itself, such as a network reply (waitUntil). During the wait the UI
// thread keeps running its event loop, so the windows paint and answer the
// window manager and assistive technology; the application runs no handler
// meanwhile (see Application::dispatch).
//
// Work runs with a stop token that cancel() stops; it must then end soon.
// A cancelled work may still be running when wait() has thrown, so work owns
// everything it touches (capture by value) and never touches a widget.
class Waiter {
public:
    Waiter();
    // Stops every work still running and joins its thread.
    ~Waiter();
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;

    // Runs `work` on a worker thread and returns when it has ended, serving
    // the UI thread's events meanwhile. An exception leaving `work` is thrown
    // here. Throws WaitCancelled when cancelled first.
    void wait(std::function<void(std::stop_token)> work);

    // Serves the UI thread's events, as wait() does, until `sender` emits
    // `done`: for work that runs asynchronously on the UI thread itself (a
    // network reply), so that no worker is needed. Throws WaitCancelled when
    // cancelled first; the caller then stops its work.
    template <class Sender, class Signal>
    void waitUntil(const Sender* sender, Signal done) {
        serve([&](std::function<void()> finish) { return QObject::connect(sender, done, inbox_.get(), finish); });
    }

    bool waiting() const noexcept { return !waits_.empty(); }
    // Cancels every wait in progress, and fails every later one at once
    // until rearm(): a caller that has been cancelled is not kept waiting.
    void cancel();
    void rearm() noexcept { cancelled_ = false; }
    bool cancelled() const noexcept { return cancelled_; }

private:
    struct Wait;
    struct Worker {
        std::shared_ptr<Wait> wait;
        std::stop_source stop;
        SmallThread thread;  // last, so that it is joined first
    };
    void serve(const std::function<QMetaObject::Connection(std::function<void()>)>& connectDone);
    void stop(Wait& wait);
    void reapFinished();

    // Receives the workers' "done" calls on the UI thread. Declared first so
    // that it goes last, after every worker has been joined.
    std::unique_ptr<QObject> inbox_;
    std::vector<std::shared_ptr<Wait>> waits_;  // in progress, innermost last
    std::vector<Worker> workers_;
    bool cancelled_ = false;
};

// Runs `work` through `waiter` and answers its result. The waiter is never
// optional: a service that could run without one would block the window.
template <class Work>
auto waitFor(Waiter& waiter, Work work) -> std::invoke_result_t<Work&, std::stop_token> {
    using Result = std::invoke_result_t<Work&, std::stop_token>;
    if constexpr (std::is_void_v<Result>) {
        waiter.wait(std::move(work));
    } else {
        // Shared, so that a cancelled work can still store its result.
        auto result = std::make_shared<std::optional<Result>>();
        waiter.wait([result, work = std::move(work)](std::stop_token stop) mutable { result->emplace(work(stop)); });
        return std::move(**result);
    }
}

}  // namespace toolkit
