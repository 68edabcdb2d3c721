#pragma once

#include <curl/curl.h>

#include <memory>

namespace probes::curl {

// libcurl's process-wide set-up, done once before the first handle.
void ensureGlobalInit();

struct EasyDeleter {
    void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

struct SlistDeleter {
    void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

EasyHandle makeEasy();

}  // namespace probes::curl
