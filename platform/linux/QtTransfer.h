#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "probes/Transfer.h"
#include "toolkit/Waiter.h"

namespace platform::gnulinux {

// OpenURL over Qt Network. Remote port 80 unless the URL names another, the
// proxy the environment or the desktop names, nothing cached, no redirect
// followed; the status code is not inspected, the body is the reply. The
// request runs on the UI thread while `waiter` serves its events; a
// cancelled wait fails as a request that got no reply.
class QtTransfer : public probes::TransferService {
public:
    struct Options {
        // From the start of the request to the last byte of the reply.
        std::chrono::milliseconds requestTimeout{std::chrono::seconds(60)};
        // An address service answers a few bytes; a reply past this is not one.
        std::size_t maxBodyBytes = std::size_t{1024} * 1024;
    };

    explicit QtTransfer(toolkit::Waiter& waiter);
    QtTransfer(Options options, toolkit::Waiter& waiter);
    std::string OpenURL(const std::string& url) override;
    const Options& options() const noexcept { return options_; }

private:
    Options options_;
    toolkit::Waiter& waiter_;
};

}  // namespace platform::gnulinux
