#pragma once

#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

#include "toolkit/Error.h"
#include "toolkit/Waiter.h"

class QWindow;

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
//    one handler keeps it alive;
//  - while a handler waits for the network (waiter()), no other handler
//    runs: ticks are dropped, and every other notification is held and
//    delivered, in order, once the outermost handler has returned.
class Application {
public:
    explicit Application(ErrorPresenter& presenter);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // `owner` is the form whose handler this is, when there is one;
    // `control` the control whose notification it answers. A held
    // notification whose control is gone, hidden or disabled by the time
    // it is due is dropped, as a click on it then would be.
    void dispatch(const std::function<void()>& handler, const Form* owner = nullptr, QWidget* control = nullptr);
    // For timer ticks: a tick that falls due while a handler is still
    // running (inside a message box or a wait, say) is dropped, never nested.
    void dispatchWhenIdle(const std::function<void()>& handler, const Form* owner = nullptr);
    // Whether a handler of `form` is running (or waiting) now.
    bool isRunningHandlerOf(const Form& form) const;

    // Where the platform's blocking calls wait; handed to the platform
    // services when they are built.
    Waiter& waiter() noexcept { return waiter_; }
    bool isWaiting() const noexcept { return waiter_.waiting(); }

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

    // Where the windowing system gives a program no way to ask for one of
    // its windows to come forward (a Wayland compositor without
    // xdg-activation), Show brings an open window forward by showing it
    // afresh: every compositor puts a newly shown window on top.
    void setShowAfreshToBringForward(bool afresh) noexcept { showAfresh_ = afresh; }
    bool showsAfreshToBringForward() const noexcept { return showAfresh_; }
    // How the platform asks for an open window to come forward when Qt's
    // own request would be refused (on Wayland Qt names the button's
    // release, mutter takes only the press). Returns false when it could
    // not ask, and Show asks through Qt.
    void setBringForward(std::function<bool(QWindow&)> bringForward) { bringForward_ = std::move(bringForward); }
    bool bringForward(QWindow& window) const { return bringForward_ && bringForward_(window); }

    bool isLoaded(const Form& form) const;
    int loadedCount() const noexcept { return static_cast<int>(loaded_.size()); }

private:
    friend class Form;
    void formLoaded(Form& form);
    void formUnloaded(Form& form);
    void report(const Error& error);
    void invoke(const std::function<void()>& handler, const Form* owner);

    ErrorPresenter& presenter_;
    std::vector<Form*> loaded_;
    // The owners of the handlers on the stack, innermost last.
    std::vector<const Form*> running_;
    // Notifications that arrived during a wait, for after the handler.
    struct Held {
        std::function<void()> handler;
        const Form* owner;
        QPointer<QWidget> control;
        bool fromControl;
    };
    std::deque<Held> held_;
    int depth_ = 0;
    bool ended_ = false;
    int exitCode_ = 0;
    bool inRun_ = false;
    bool showAfresh_ = false;
    std::function<bool(QWindow&)> bringForward_;
    // Last, so that its workers are joined before anything else goes.
    Waiter waiter_;
};

}  // namespace toolkit
