#include "toolkit/Application.h"

#include <QCoreApplication>
#include <algorithm>

#include "toolkit/Form.h"

namespace toolkit {

namespace {
// Unwinds every handler still on the stack once the application has ended.
// Deliberately not a std::exception, so resume-next never absorbs it.
struct ApplicationEnded {};
}  // namespace

Application::Application(ErrorPresenter& presenter) : presenter_(presenter) {}

void Application::dispatch(const std::function<void()>& handler) {
    if (ended_) return;
    ++depth_;
    const bool outermost = depth_ == 1;
    try {
        handler();
    } catch (const ApplicationEnded&) {
        --depth_;
        if (!outermost) throw;
        return;
    } catch (const std::exception& e) {
        report(Error::from(e));
        --depth_;
        if (!outermost) throw ApplicationEnded{};
        return;
    }
    --depth_;
    if (outermost && !ended_ && loaded_.empty()) end(0);
}

void Application::dispatchWhenIdle(const std::function<void()>& handler) {
    if (depth_ > 0) return;
    dispatch(handler);
}

void Application::report(const Error& error) {
    if (ended_) return;
    presenter_.present(error);
    end(1);
}

int Application::run(Form& startup) {
    start(startup);
    if (ended_) return exitCode_;
    return QCoreApplication::exec();
}

void Application::start(Form& startup) {
    dispatch([&] { startup.Show(); });
}

void Application::end(int exitCode) {
    if (ended_) return;
    ended_ = true;
    exitCode_ = exitCode;
    for (Form* form : std::vector<Form*>(loaded_)) form->hideWindow();
    QCoreApplication::exit(exitCode);
}

bool Application::isLoaded(const Form& form) const {
    return std::find(loaded_.begin(), loaded_.end(), &form) != loaded_.end();
}

void Application::formLoaded(Form& form) {
    if (!isLoaded(form)) loaded_.push_back(&form);
}

void Application::formUnloaded(Form& form) {
    std::erase(loaded_, &form);
}

}  // namespace toolkit
