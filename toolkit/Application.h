#pragma once

#include <functional>
#include <vector>

#include "toolkit/Error.h"

namespace toolkit {

class Form;

// How an error that no handler absorbed is put in front of the user. The
// product shows a message box; tests record what they are shown.
class ErrorPresenter {
public:
    virtual ~ErrorPresenter() = default;
    virtual void present(const Error& error) = 0;
};

// The application's lifetime and its one dispatch point for handlers.
//
// Every notification (a click, a tick, a close, a resize) reaches behaviour
// code through dispatch(), which gives it the runtime's semantics:
//  - an error leaving the outermost handler is presented, then the
//    application ends;
//  - after the outermost handler returns, the application ends when no
//    window is loaded any more, so that unloading and loading again inside
//    one handler keeps it alive.
class Application {
public:
    explicit Application(ErrorPresenter& presenter);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    void dispatch(const std::function<void()>& handler);
    // For timer ticks: a tick that falls due while a handler is still
    // running (inside a message box, say) is dropped, never nested.
    void dispatchWhenIdle(const std::function<void()>& handler);
    bool inHandler() const noexcept { return depth_ > 0; }

    // Loads and shows the start-up window, then runs the message loop until
    // the application ends. Returns the process exit code.
    int run(Form& startup);
    // Loads and shows the start-up window without entering the loop.
    void start(Form& startup);

    // Ends the application at once: every window is hidden, no further
    // notification is dispatched and the message loop, if running, returns.
    void end(int exitCode);
    bool hasEnded() const noexcept { return ended_; }
    int exitCode() const noexcept { return exitCode_; }

    bool isLoaded(const Form& form) const;
    int loadedCount() const noexcept { return static_cast<int>(loaded_.size()); }

private:
    friend class Form;
    void formLoaded(Form& form);
    void formUnloaded(Form& form);
    void report(const Error& error);

    ErrorPresenter& presenter_;
    std::vector<Form*> loaded_;
    int depth_ = 0;
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace toolkit
