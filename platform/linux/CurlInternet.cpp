#include "platform/linux/CurlInternet.h"

#include <cstring>
#include <string_view>

#include "platform/linux/Curl.h"

namespace probes {

namespace {

// What the server has said so far.
struct Answer {
    int status = 0;
    bool final = false;  // a status line other than 1xx has arrived
};

// Called with each complete header line. The transfer stops as soon as the
// final status line is in: that is all the caller learns, and stopping here
// keeps the body from ever being read.
std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
    auto* answer = static_cast<Answer*>(user);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        const std::size_t space = line.find(' ');
        int status = 0;
        for (std::size_t i = space == std::string_view::npos ? line.size() : space + 1;
             i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
            status = status * 10 + (line[i] - '0');
        if (status >= 100) {
            answer->status = status;
            if (status >= 200) {
                answer->final = true;
                return 0;  // stops the transfer
            }
        }
    }
    return size * count;
}

// A body byte means the status line was passed already; never keep one.
std::size_t refuseBody(char*, std::size_t, std::size_t, void*) { return 0; }

// Appends a line to a header list; on failure the list stays as it was.
void append(curl::Slist& list, const char* line) {
    if (curl_slist* grown = curl_slist_append(list.get(), line)) {
        (void)list.release();
        list.reset(grown);
    }
}

// Extra request headers as the caller hands them: lines separated by CR LF,
// the length in characters or all ones for a NUL-terminated text.
curl::Slist headerList(const char* headers, std::uint32_t length) {
    // No cache on the way may answer for the server.
    curl::Slist list;
    append(list, "Cache-Control: no-cache");
    append(list, "Pragma: no-cache");
    if (!headers) return list;
    const std::string_view text(headers, length == 0xFFFFFFFFu ? std::strlen(headers) : length);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) append(list, std::string(text.substr(start, end - start)).c_str());
        start = end + 2;
    }
    return list;
}

}  // namespace

CurlInternet::CurlInternet() : CurlInternet(Options{}) {}
CurlInternet::CurlInternet(Options options) : options_(options) {}

HINTERNET CurlInternet::InternetOpenA(const std::string& agent, std::uint32_t accessType, const char*,
                                      const char*, std::uint32_t flags) {
    if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT) return 0;
    if (flags != 0) return 0;
    curl::ensureGlobalInit();
    const HINTERNET handle = next_++;
    handles_[handle] = Entry{true, agent, accessType, 0, 0};
    return handle;
}

HINTERNET CurlInternet::InternetOpenUrlA(HINTERNET session, const std::string& url, const char* headers,
                                         std::uint32_t headersLength, std::uint32_t, std::uintptr_t) {
    const auto found = handles_.find(session);
    if (found == handles_.end() || !found->second.isSession) return 0;
    const Entry& owner = found->second;

    auto easy = curl::makeEasy();
    CURL* h = easy.get();
    Answer answer;
    const curl::Slist requestHeaders = headerList(headers, headersLength);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, owner.agent.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, requestHeaders.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.answerTimeout.count()));
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &onHeaderLine);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &answer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &refuseBody);
    if (owner.accessType == INTERNET_OPEN_TYPE_DIRECT) curl_easy_setopt(h, CURLOPT_NOPROXY, "*");

    const CURLcode result = curl_easy_perform(h);
    // A transfer that ran to its end without any status line (a reply
    // without a body) still answered if curl saw a response code.
    if (!answer.final && result == CURLE_OK) {
        long code = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
        if (code >= 200) {
            answer.status = static_cast<int>(code);
            answer.final = true;
        }
    }
    if (!answer.final) return 0;

    const HINTERNET handle = next_++;
    handles_[handle] = Entry{false, {}, 0, session, answer.status};
    return handle;
}

bool CurlInternet::InternetCloseHandle(HINTERNET handle) {
    const auto found = handles_.find(handle);
    if (handle == 0 || found == handles_.end()) return false;
    if (found->second.isSession)
        std::erase_if(handles_, [handle](const auto& item) { return item.second.session == handle; });
    handles_.erase(handle);
    return true;
}

int CurlInternet::statusCode(HINTERNET urlHandle) const {
    const auto found = handles_.find(urlHandle);
    return found == handles_.end() || found->second.isSession ? 0 : found->second.status;
}

}  // namespace probes
