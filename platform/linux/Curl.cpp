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

}  // namespace probes::curl
