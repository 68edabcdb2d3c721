#include "app/Watch.h"

#include <utility>

#include "app/Report.h"
#include "toolkit/Error.h"

namespace app {

Watch::Watch(Platform& platform, toolkit::Waiter& waiter, probes::NetworkChanges& changes, Options options, Print print,
             Complain complain)
    : platform_(platform),
      waiter_(waiter),
      options_(options),
      print_(std::move(print)),
      complain_(std::move(complain)) {
    settle_.setSingleShot(true);
    settle_.setInterval(options_.settle);
    connect(&settle_, &QTimer::timeout, this, &Watch::runRound);
    connect(&changes, &probes::NetworkChanges::changed, this, &Watch::networkChanged);
}

void Watch::start() { QTimer::singleShot(0, this, &Watch::runRound); }

void Watch::stop() {
    stopped_ = true;
    settle_.stop();
    if (inRound_) waiter_.cancel();
}

void Watch::networkChanged() {
    if (stopped_) return;
    // Every change pushes the round back until the burst is over.
    settle_.start();
    if (inRound_) waiter_.cancel();
}

void Watch::runRound() {
    // The settle time can end during a round's own waits; the change that
    // armed it has cancelled that round, whose end starts the next.
    if (stopped_) return;
    if (inRound_) {
        settle_.start();
        return;
    }
    inRound_ = true;
    ++rounds_;
    waiter_.rearm();
    Report report;
    QString failure;
    try {
        report = gatherReport(platform_, options_.json);
    } catch (const toolkit::Error& e) {
        failure = QString::fromStdString(e.description());
    }
    inRound_ = false;
    // The lookups' services turn a cancelled wait into a failed lookup:
    // what this round found says nothing.
    if (waiter_.cancelled() || stopped_) return;
    if (!failure.isEmpty()) {
        complain_(failure);
        return;
    }
    QByteArray text = options_.json ? jsonReport(report, true) : plainReport(report) + '\n';
    if (text == lastPrinted_) return;
    lastPrinted_ = text;
    print_(text);
}

}  // namespace app
