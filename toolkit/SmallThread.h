#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>

namespace toolkit {

// The stack our own threads reserve. Each default thread reserves 8 MiB of
// address space, which a tight limit (ulimit -v) cannot spare; the work
// these threads do (loading the font configuration, a netlink read, a
// proxy look-up) needs a small part of this. The sanitizers' instrumented
// frames are several times larger.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr std::size_t kSmallStackBytes = std::size_t{4} << 20;
#else
inline constexpr std::size_t kSmallStackBytes = std::size_t{1} << 20;
#endif

// A thread with a small stack, joined when destroyed. Starting one throws
// std::system_error when the system cannot start it (no address space for
// its stack, the process limit reached), as std::thread does, so that the
// caller can carry on without it.
class SmallThread {
public:
    SmallThread() = default;
    explicit SmallThread(std::function<void()> work, std::size_t stackBytes = kSmallStackBytes);
    // For work that is only a head start: the thread, or an empty one (not
    // joinable) when none can start.
    static SmallThread ifPossible(std::function<void()> work);
    ~SmallThread();
    SmallThread(SmallThread&& other) noexcept;
    SmallThread& operator=(SmallThread&& other) noexcept;
    SmallThread(const SmallThread&) = delete;
    SmallThread& operator=(const SmallThread&) = delete;

    bool joinable() const noexcept { return running_; }
    void join() noexcept;

private:
    pthread_t thread_{};
    bool running_ = false;
};

}  // namespace toolkit
