#include "app/ThreadStartWatch.h"

#include <QString>

#include <atomic>

namespace app {

namespace {

// Qt's message handler is a plain function: what it learns has to live
// outside any object. Only the one watch of start-up uses it.
struct WatchState {
    QtMessageHandler previous = nullptr;
    std::atomic<bool> failed{false};
};

WatchState& state() {
    static WatchState watch;
    return watch;
}

void watchMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QThread::start: Thread creation error"))) state().failed = true;
    if (state().previous) state().previous(type, context, message);
}

}  // namespace

ThreadStartWatch::ThreadStartWatch() {
    state().failed = false;
    state().previous = qInstallMessageHandler(watchMessage);
}

ThreadStartWatch::~ThreadStartWatch() { qInstallMessageHandler(state().previous); }

bool ThreadStartWatch::failed() const noexcept { return state().failed; }

}  // namespace app
