#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "platform/linux/QtHttp.h"
#include "probes/Transfer.h"
#include "toolkit/Waiter.h"

namespace platform::gnulinux {

// OpenURL over Qt Network: one GET on a connection of its own (see
// QtHttp.h), remote port 80 unless the URL names another, the proxy the
// environment or the desktop names, no redirect followed. The body of a
// final 2xx reply is the answer; any other status fails the fetch, as no
// reply does. The request runs on the UI thread while `waiter` serves its
// events; a cancelled wait fails as a request that got no reply. Each
// failure is reported, as one line naming `what` failed and why, to
// `report`.
class QtTransfer : public probes::TransferService {
public:
    struct Options {
        // From the start of the request to the last byte of the reply.
        std::chrono::milliseconds requestTimeout{std::chrono::seconds(60)};
        // An address service answers a few bytes; a reply past this is not one.
        std::size_t maxBodyBytes = std::size_t{1024} * 1024;
        // Names what failed on the report's lines.
        std::string what = "public address lookup";
        std::function<void(const std::string& line)> report = writeToStandardError;
    };

    explicit QtTransfer(toolkit::Waiter& waiter);
    QtTransfer(Options options, toolkit::Waiter& waiter);
    std::string OpenURL(const std::string& url) override;

private:
    std::string fetch(const std::string& url);

    Options options_;
    toolkit::Waiter& waiter_;
};

}  // namespace platform::gnulinux
