#pragma once

#include <QObject>
#include <QTimer>

namespace toolkit {

// A timer. With Interval 0 it never ticks, whatever Enabled says; it ticks
// while it is enabled and has an interval.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent);

    int Interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isTicking() const { return timer_.isActive(); }

signals:
    void Tick();

private:
    void apply();
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = true;
};

}  // namespace toolkit
