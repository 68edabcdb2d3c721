#pragma once

#include <QString>

namespace app {

// How the machine is connected, as the refresh cycle classifies it. The
// values are tried in this order; the last one is the fallback.
enum class ConnectionState { LanOnlyOffline, LanAndWanOnline, Offline, WanOnlyOnline };

// Put in place of a loopback LAN address. It holds no "1", so it rules out
// both states that need a LAN address, and both remaining states overwrite
// it: it is never on screen once the tick has ended.
inline constexpr const char* kLoopbackMarker = "Shit!";

// What an address field reads where the state rules an address out.
inline constexpr const char* kMissingAddress = "Null";

// Whether text contains word, letters compared without regard to case. An
// empty text contains nothing.
bool Contains(const QString& text, const QString& word);

// The first state whose condition holds for the probe text S (the text of
// txtStatus2) and the LAN text L. An address without a "1" counts as no LAN
// address, and a probe that could not run (S empty) gives WanOnlyOnline:
// that is how the cycle has always read its two texts.
ConnectionState ClassifyConnection(const QString& S, const QString& L);

// "LAN Only - Offline", "LAN And WAN - Online", "Offline", "WAN Only - Online".
QString StatusText(ConnectionState state);

}  // namespace app
