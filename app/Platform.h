#pragma once

#include <memory>

#include "adapters/AdapterInfoApi.h"
#include "probes/InternetApi.h"
#include "probes/LocalIp.h"
#include "probes/Transfer.h"
#include "toolkit/Shell.h"

namespace app {

// Every platform service the windows use, built once by main (the real
// Linux ones) or by a test (fakes), and handed to the windows.
struct Platform {
    std::unique_ptr<probes::TransferService> transfer;
    std::unique_ptr<probes::InternetApi> internet;
    std::unique_ptr<probes::LocalIpService> localIp;
    std::unique_ptr<adapters::AdapterInfoApi> adapterInfo;
    std::unique_ptr<toolkit::ShellService> shell;
};

}  // namespace app
