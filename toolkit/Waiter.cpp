#include "toolkit/Waiter.h"

#include <QEventLoop>
#include <QMetaObject>
#include <algorithm>
#include <exception>
#include <mutex>

namespace toolkit {

// The UI thread's end of the workers' "done" calls. The call is queued by
// name, so that what crosses the threads is Qt's own event and every piece
// of state is handed over under Wait::mutex.
class WaiterInbox : public QObject {
    Q_OBJECT
public:
    explicit WaiterInbox(std::function<void()> onWake) : onWake_(std::move(onWake)) {}

public slots:
    void wake() { onWake_(); }

private:
    std::function<void()> onWake_;
};

struct Waiter::Wait {
    // Shared with the worker.
    std::mutex mutex;
    bool done = false;
    std::exception_ptr error;
    // UI thread only.
    QEventLoop* loop = nullptr;
    bool cancelled = false;

    bool isDone() {
        std::lock_guard lock(mutex);
        return done;
    }
};

Waiter::Waiter()
    : inbox_(std::make_unique<WaiterInbox>([this] {
          for (const std::shared_ptr<Wait>& wait : waits_)
              if (wait->loop && wait->isDone()) wait->loop->quit();
      })) {}

Waiter::~Waiter() {
    for (Worker& worker : workers_) worker.stop.request_stop();
    workers_.clear();  // joins
}

void Waiter::wait(std::function<void(std::stop_token)> work) {
    reapFinished();
    if (cancelled_) throw WaitCancelled();

    auto wait = std::make_shared<Wait>();
    QObject* inbox = inbox_.get();
    std::stop_source stopSource;
    // A worker that cannot be started fails the wait with std::system_error,
    // which the handler takes as the step's failure.
    SmallThread thread([wait, inbox, token = stopSource.get_token(), work = std::move(work)] {
        std::exception_ptr error;
        try {
            work(token);
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(wait->mutex);
            wait->done = true;
            wait->error = error;
        }
        // The inbox outlives every worker: ~Waiter joins them first.
        QMetaObject::invokeMethod(inbox, "wake", Qt::QueuedConnection);
    });
    workers_.push_back(Worker{wait, std::move(stopSource), std::move(thread)});

    QEventLoop loop;
    wait->loop = &loop;
    waits_.push_back(wait);
    if (!wait->isDone()) loop.exec();
    wait->loop = nullptr;
    std::erase(waits_, wait);
    // The loop also returns when the application is told to end: the wait
    // is then given up like a cancelled one.
    if (!wait->cancelled && !wait->isDone()) stop(*wait);

    if (wait->cancelled) throw WaitCancelled();
    reapFinished();
    std::exception_ptr error;
    {
        std::lock_guard lock(wait->mutex);
        error = wait->error;
    }
    if (error) std::rethrow_exception(error);
}

void Waiter::serve(const std::function<QMetaObject::Connection(std::function<void()>)>& connectDone) {
    if (cancelled_) throw WaitCancelled();
    auto wait = std::make_shared<Wait>();
    // Everything here runs on the UI thread; the lock only keeps Wait's
    // rule for `done`.
    const QMetaObject::Connection link = connectDone([wait] {
        {
            std::lock_guard lock(wait->mutex);
            wait->done = true;
        }
        if (wait->loop) wait->loop->quit();
    });
    QEventLoop loop;
    wait->loop = &loop;
    waits_.push_back(wait);
    loop.exec();
    wait->loop = nullptr;
    std::erase(waits_, wait);
    QObject::disconnect(link);
    // As in wait(): an application told to end gives the wait up.
    if (!wait->isDone()) wait->cancelled = true;
    if (wait->cancelled) throw WaitCancelled();
}

void Waiter::cancel() {
    cancelled_ = true;
    for (const std::shared_ptr<Wait>& wait : waits_) stop(*wait);
}

void Waiter::stop(Wait& wait) {
    wait.cancelled = true;
    for (Worker& worker : workers_)
        if (worker.wait.get() == &wait) worker.stop.request_stop();
    if (wait.loop) wait.loop->quit();
}

void Waiter::reapFinished() {
    // A worker that has reported is about to return: joining it is short.
    std::erase_if(workers_, [](Worker& worker) { return worker.wait->isDone(); });
}

}  // namespace toolkit

#include "Waiter.moc"
