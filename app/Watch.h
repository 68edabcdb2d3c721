#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>

#include "app/Platform.h"
#include "probes/NetworkChanges.h"
#include "toolkit/Waiter.h"

namespace app {

// Keeps the report current: one round of the window's lookups at the start
// and again once a burst of network changes has settled, printing a report
// only when it differs from the last one printed. A change during a round
// cancels the round's lookups (through the waiter they wait in) and its
// result is dropped, so that no stale report follows a fresh one. Between
// changes nothing runs: no timer is armed.
class Watch : public QObject {
    Q_OBJECT
public:
    struct Options {
        bool json = false;
        // How long the network must stay quiet before a round starts.
        std::chrono::milliseconds settle{250};
    };
    using Print = std::function<void(const QByteArray&)>;
    using Complain = std::function<void(const QString&)>;

    Watch(Platform& platform, toolkit::Waiter& waiter, probes::NetworkChanges& changes, Options options, Print print,
          Complain complain);

    // Starts the first round from the event loop.
    void start();
    // Cancels a round under way; nothing is printed any more.
    void stop();

    int rounds() const noexcept { return rounds_; }

private:
    void networkChanged();
    void runRound();

    Platform& platform_;
    toolkit::Waiter& waiter_;
    Options options_;
    Print print_;
    Complain complain_;
    QTimer settle_;
    bool inRound_ = false;
    bool stopped_ = false;
    int rounds_ = 0;
    QByteArray lastPrinted_;
};

}  // namespace app
