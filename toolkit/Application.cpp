#include "toolkit/Application.h"

#include <QCoreApplication>
#include <algorithm>

#include "toolkit/Control.h"
#include "toolkit/Form.h"

namespace toolkit {

namespace {
// Unwinds every handler still on the stack once the application has ended.
// Deliberately not a std::exception, so resume-next never absorbs it.
struct ApplicationEnded {};
}  // namespace

Application::Application(ErrorPresenter& presenter) : presenter_(presenter) {}

void Application::dispatch(const std::function<void()>& handler, const Form* owner, QWidget* control) {
    if (ended_) return;
    if (waiter_.waiting()) {
        held_.push_back(Held{handler, owner, control, control != nullptr});
        return;
    }
    const bool outermost = depth_ == 0;
    invoke(handler, owner);
    if (!outermost) return;
    // What arrived while the handler waited, as a blocked queue delivers it.
    while (!held_.empty() && !ended_) {
        const Held next = std::move(held_.front());
        held_.pop_front();
        if (next.fromControl && !(next.control && canBeClicked(*next.control))) continue;
        invoke(next.handler, next.owner);
    }
    held_.clear();
    if (!ended_ && loaded_.empty()) end(0);
}

void Application::invoke(const std::function<void()>& handler, const Form* owner) {
    ++depth_;
    running_.push_back(owner);
    const bool outermost = depth_ == 1;
    // Leaving the outermost handler, however it leaves.
    const auto leave = [&] {
        running_.pop_back();
        --depth_;
        if (outermost) waiter_.rearm();
    };
    try {
        handler();
    } catch (const ApplicationEnded&) {
        leave();
        if (!outermost) throw;
        return;
    } catch (const std::exception& e) {
        report(Error::from(e));
        leave();
        if (!outermost) throw ApplicationEnded{};
        return;
    }
    leave();
}

void Application::dispatchWhenIdle(const std::function<void()>& handler, const Form* owner) {
    if (depth_ > 0) return;
    dispatch(handler, owner);
}

bool Application::isRunningHandlerOf(const Form& form) const {
    return std::find(running_.begin(), running_.end(), &form) != running_.end();
}

void Application::report(const Error& error) {
    if (ended_) return;
    presenter_.present(error);
    end(1);
}

int Application::run(Form& startup) {
    start(startup);
    if (ended_) return exitCode_;
    inRun_ = true;
    const int code = QCoreApplication::exec();
    inRun_ = false;
    return code;
}

void Application::start(Form& startup) {
    dispatch([&] { startup.Show(); }, &startup);
}

void Application::end(int exitCode) {
    if (ended_) return;
    ended_ = true;
    exitCode_ = exitCode;
    for (Form* form : std::vector<Form*>(loaded_)) form->hideWindow();
    // Only the loop run() entered: telling Qt to quit when no loop of ours
    // runs would make every later event loop of this thread return at once.
    if (inRun_) QCoreApplication::exit(exitCode);
}

bool Application::isLoaded(const Form& form) const {
    return std::find(loaded_.begin(), loaded_.end(), &form) != loaded_.end();
}

void Application::formLoaded(Form& form) {
    if (!isLoaded(form)) loaded_.push_back(&form);
}

void Application::formUnloaded(Form& form) { std::erase(loaded_, &form); }

}  // namespace toolkit
