#include "probes/Connectivity.h"

namespace probes {

ProbeResult ProbeConnectivity(InternetApi& internet, const std::string& agent, const std::string& url) {
    ProbeResult result = ProbeResult::NotRun;
    const HINTERNET session = internet.InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session != 0) {
        const HINTERNET page = internet.InternetOpenUrlA(session, url, nullptr, 0, kProbeUrlFlags, 0);
        if (page != 0) {
            result = ProbeResult::Reachable;
            internet.InternetCloseHandle(page);
        } else {
            result = ProbeResult::Unreachable;
        }
    }
    // Issued in every case; a null session is simply rejected.
    internet.InternetCloseHandle(session);
    return result;
}

std::string ReadLocalAddress(LocalIpService& Winsock1) { return Winsock1.LocalIP(); }

}  // namespace probes
