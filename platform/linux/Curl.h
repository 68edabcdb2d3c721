#pragma once

#include <curl/curl.h>

#include <memory>
#include <stop_token>

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

// Runs a prepared easy handle to its end, as curl_easy_perform does, but
// gives up at once, with CURLE_ABORTED_BY_CALLBACK, when `stop` is stopped,
// whatever the transfer is doing then (name resolution included).
CURLcode perform(CURL* easy, std::stop_token stop);

}  // namespace probes::curl
