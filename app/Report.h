#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "adapters/GetAdaptsInfo.h"
#include "app/ConnectionState.h"
#include "app/Platform.h"

namespace app {

// One answer to "how is this machine connected", as the main window shows
// it once its cycle has run: the state and the three read-outs.
struct Report {
    ConnectionState state = ConnectionState::WanOnlyOnline;
    QString wan, lan, localhost;
    // The Adapter Info list, when it was asked for.
    std::vector<adapters::AdapterRecord> adapters;
    // Why the adapter list could not be read; empty when it was.
    QString adapterError;

    bool operator==(const Report&) const = default;
};

// Runs the window's lookups on `platform`, in the window's order and with
// its rules (start-up's public address, then the probe and the local
// address of the first tick), and the Adapter Info list when asked. A
// platform service that fails leaves its read-out as the window leaves it.
// Throws toolkit::Error where the window would show an error: the probe
// failing outright.
Report gatherReport(Platform& platform, bool withAdapters);

// "lan-and-wan-online", "lan-only-offline", "offline", "wan-only-online".
QString stateName(ConnectionState state);

// Whether the web answered: the two online states.
bool isOnline(ConnectionState state);

// The report as lines of text for a terminal: status, WAN, LAN, localhost.
// Control characters an address service may have sent are shown as U+FFFD,
// so that a reply cannot drive the terminal.
QByteArray plainReport(const Report& report);

// The report as one JSON object, with the fields a waybar custom module
// reads (text, tooltip, class, alt) beside the report's own. `oneLine`
// gives the compact form, one object per line.
QByteArray jsonReport(const Report& report, bool oneLine);

}  // namespace app
