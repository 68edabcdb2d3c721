#include "platform/linux/TerminationSignals.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform::gnulinux {

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    sigset_t taken;
    sigemptyset(&taken);
    sigaddset(&taken, SIGINT);
    sigaddset(&taken, SIGTERM);
    if (const int error = pthread_sigmask(SIG_BLOCK, &taken, &previousMask_); error != 0)
        throw std::system_error(error, std::generic_category(), "blocking SIGINT and SIGTERM");
    descriptor_ = signalfd(-1, &taken, SFD_NONBLOCK | SFD_CLOEXEC);
    if (descriptor_ < 0) {
        const int error = errno;
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        throw std::system_error(error, std::generic_category(), "signalfd");
    }
    notifier_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
}

TerminationSignals::~TerminationSignals() {
    notifier_.reset();
    close(descriptor_);
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void TerminationSignals::readSignal() {
    signalfd_siginfo info{};
    while (read(descriptor_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        emit received(static_cast<int>(info.ssi_signo));
}

}  // namespace platform::gnulinux
