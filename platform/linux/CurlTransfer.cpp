#include "platform/linux/CurlTransfer.h"

#include "platform/linux/Curl.h"
#include "toolkit/Error.h"

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
}  // namespace

CurlTransfer::CurlTransfer() : CurlTransfer(Options{}) {}
CurlTransfer::CurlTransfer(Options options) : options_(options) {}

std::string CurlTransfer::OpenURL(const std::string& url) {
    auto handle = curl::makeEasy();
    CURL* h = handle.get();
    Body body{{}, options_.maxBodyBytes};
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.requestTimeout.count()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
    // The request goes to the server every time.
    curl::Slist headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    const CURLcode result = curl_easy_perform(h);
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
