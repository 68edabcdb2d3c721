#include "platform/linux/CurlTransfer.h"

#include "platform/linux/Curl.h"
#include "toolkit/Error.h"
#include "toolkit/Waiter.h"

namespace probes {

namespace {
constexpr const char* kSource = "Inet";

struct Body {
    std::string text;
    std::size_t limit;
    bool overflowed = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const std::size_t bytes = size * count;
    if (body->text.size() + bytes > body->limit) {
        body->overflowed = true;
        return 0;  // stops the transfer
    }
    body->text.append(data, bytes);
    return bytes;
}

struct Outcome {
    CURLcode result = CURLE_OK;
    Body body;
};

// The request itself; runs on the waiter's worker and owns all it uses.
Outcome fetch(const std::string& url, const CurlTransfer::Options& options, std::stop_token stop) {
    auto handle = curl::makeEasy();
    CURL* h = handle.get();
    Outcome outcome{CURLE_OK, Body{{}, options.maxBodyBytes}};
    Body& body = outcome.body;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options.requestTimeout.count()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    // The request goes to the server every time.
    curl::Slist headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    outcome.result = curl::perform(h, stop);
    return outcome;
}
}  // namespace

CurlTransfer::CurlTransfer(toolkit::Waiter* waiter) : CurlTransfer(Options{}, waiter) {}
CurlTransfer::CurlTransfer(Options options, toolkit::Waiter* waiter) : options_(options), waiter_(waiter) {}

std::string CurlTransfer::OpenURL(const std::string& url) {
    Outcome outcome{CURLE_ABORTED_BY_CALLBACK, Body{{}, 0}};
    try {
        outcome = toolkit::waitFor(waiter_, [url, options = options_](std::stop_token stop) {
            return fetch(url, options, stop);
        });
    } catch (const toolkit::WaitCancelled&) {
        // Left as a request that was given up.
    }
    const CURLcode result = outcome.result;
    const Body& body = outcome.body;
    if (result == CURLE_OK) return body.text;
    if (body.overflowed)
        throw toolkit::Error(transfer_errors::ReplyTooLarge, kSource, "The reply is larger than allowed");
    switch (result) {
    case CURLE_OPERATION_TIMEDOUT:
        throw toolkit::Error(transfer_errors::RequestTimedOut, kSource, "Request timed out");
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        throw toolkit::Error(transfer_errors::ConnectFailed, kSource,
                             std::string("Unable to connect to remote host: ") + curl_easy_strerror(result));
    default:
        throw toolkit::Error(transfer_errors::RequestFailed, kSource,
                             std::string("Request failed: ") + curl_easy_strerror(result));
    }
}

}  // namespace probes
