#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "probes/Transfer.h"

namespace probes {

// OpenURL over libcurl. Remote port 80 unless the URL names another, the
// proxy from the environment as curl reads it, nothing cached; the status
// code is not inspected, the body is the reply.
class CurlTransfer : public TransferService {
public:
    struct Options {
        std::chrono::milliseconds requestTimeout{std::chrono::seconds(60)};
        // An address service answers a few bytes; a reply past this is not one.
        std::size_t maxBodyBytes = 1024 * 1024;
    };

    CurlTransfer();
    explicit CurlTransfer(Options options);
    std::string OpenURL(const std::string& url) override;
    const Options& options() const noexcept { return options_; }

private:
    Options options_;
};

}  // namespace probes
