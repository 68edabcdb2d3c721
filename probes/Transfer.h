#pragma once

#include <string>

namespace probes {

// The transfer control's one request: a synchronous HTTP GET of a URL whose
// body comes back as text. Raises a toolkit::Error when no reply arrives.
class TransferService {
public:
    virtual ~TransferService() = default;
    virtual std::string OpenURL(const std::string& url) = 0;
};

// Error numbers of the transfer layer.
namespace transfer_errors {
inline constexpr int RequestFailed = 35750;
inline constexpr int ConnectFailed = 35754;
inline constexpr int ReplyTooLarge = 35760;
inline constexpr int RequestTimedOut = 35761;
}  // namespace transfer_errors

}  // namespace probes
