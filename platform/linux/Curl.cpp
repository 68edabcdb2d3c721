#include "platform/linux/Curl.h"

#include <new>

namespace probes::curl {

void ensureGlobalInit() {
    // A function-local static: initialised once, thread-safely, and never
    // changed afterwards.
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)init;
}

EasyHandle makeEasy() {
    ensureGlobalInit();
    EasyHandle handle(curl_easy_init());
    if (!handle) throw std::bad_alloc();
    return handle;
}

namespace {
struct MultiDeleter {
    void operator()(CURLM* multi) const noexcept { curl_multi_cleanup(multi); }
};

// Keeps an easy handle in a multi handle for one transfer.
class Attached {
public:
    Attached(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) throw std::bad_alloc();
    }
    ~Attached() { curl_multi_remove_handle(multi_, easy_); }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;

private:
    CURLM* multi_;
    CURL* easy_;
};
}  // namespace

CURLcode perform(CURL* easy, std::stop_token stop) {
    if (!stop.stop_possible()) return curl_easy_perform(easy);
    // A name resolution still running when the transfer is given up is left
    // to end by itself instead of being waited for.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi) throw std::bad_alloc();
    const Attached attached(multi.get(), easy);
    // Wakes the poll below from the thread that asks for the stop; the
    // multi handle outlives this callback.
    const std::stop_callback wake(stop, [m = multi.get()] { curl_multi_wakeup(m); });
    for (;;) {
        if (stop.stop_requested()) return CURLE_ABORTED_BY_CALLBACK;
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
        if (running == 0) break;
        if (curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) return message->data.result;
    return CURLE_RECV_ERROR;
}

}  // namespace probes::curl
