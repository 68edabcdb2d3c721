#include "toolkit/SmallThread.h"

#include <memory>
#include <system_error>
#include <utility>

namespace toolkit {

namespace {

void* runWork(void* argument) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
    (*work)();
    return nullptr;
}

struct Attributes {
    pthread_attr_t value{};
    Attributes() { pthread_attr_init(&value); }
    ~Attributes() { pthread_attr_destroy(&value); }
    Attributes(const Attributes&) = delete;
    Attributes& operator=(const Attributes&) = delete;
};

}  // namespace

SmallThread::SmallThread(std::function<void()> work, std::size_t stackBytes) {
    Attributes attributes;
    if (const int error = pthread_attr_setstacksize(&attributes.value, stackBytes); error != 0)
        throw std::system_error(error, std::generic_category(), "thread stack size");
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    if (const int error = pthread_create(&thread_, &attributes.value, runWork, owned.get()); error != 0)
        throw std::system_error(error, std::generic_category(), "thread start");
    // The thread owns its work from here on.
    static_cast<void>(owned.release());
    running_ = true;
}

SmallThread SmallThread::ifPossible(std::function<void()> work) {
    try {
        return SmallThread(std::move(work));
    } catch (const std::system_error&) {
        // No address space for its stack, or the process limit reached.
        return {};
    }
}

SmallThread::~SmallThread() { join(); }

SmallThread::SmallThread(SmallThread&& other) noexcept
    : thread_(other.thread_), running_(std::exchange(other.running_, false)) {}

SmallThread& SmallThread::operator=(SmallThread&& other) noexcept {
    if (this != &other) {
        join();
        thread_ = other.thread_;
        running_ = std::exchange(other.running_, false);
    }
    return *this;
}

void SmallThread::join() noexcept {
    if (!running_) return;
    pthread_join(thread_, nullptr);
    running_ = false;
}

}  // namespace toolkit
