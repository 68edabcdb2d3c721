#pragma once

#include <QtGlobal>

namespace app {

// Watches, while it lives, for Qt's report that it could not start one of
// its threads (under a tight address-space limit). Qt carries on without
// the thread, but without its display reader the window never appears:
// a start-up that saw such a report ends with a line on standard error
// instead of staying up unseen. Every message still goes where it went.
class ThreadStartWatch {
public:
    ThreadStartWatch();
    ~ThreadStartWatch();
    ThreadStartWatch(const ThreadStartWatch&) = delete;
    ThreadStartWatch& operator=(const ThreadStartWatch&) = delete;

    bool failed() const noexcept;
};

}  // namespace app
