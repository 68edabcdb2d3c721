#include "toolkit/Timer.h"

#include <algorithm>

namespace toolkit {

Timer::Timer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { emit Tick(); });
}

void Timer::setInterval(int milliseconds) {
    interval_ = std::max(0, milliseconds);
    apply();
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

// A QTimer with interval 0 fires at every pass of the event loop; an
// interval of 0 here means no ticks at all.
void Timer::apply() {
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

}  // namespace toolkit
