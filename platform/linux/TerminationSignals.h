#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <memory>

namespace platform::gnulinux {

// SIGINT and SIGTERM as events of the event loop: blocked and read from a
// signalfd, so that a handler can end the program cleanly, between two
// events, and nothing runs in signal context. The mask is the calling
// thread's, which every thread started afterwards inherits: make this
// before the first thread. The previous mask is restored when it goes.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    // Throws std::system_error when the signals cannot be taken.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readSignal();

    sigset_t previousMask_{};
    int descriptor_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform::gnulinux
