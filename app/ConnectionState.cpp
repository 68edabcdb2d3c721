#include "app/ConnectionState.h"

namespace app {

bool Contains(const QString& text, const QString& word) {
    if (text.isEmpty()) return false;
    return text.contains(word, Qt::CaseInsensitive);
}

ConnectionState ClassifyConnection(const QString& S, const QString& L) {
    if (Contains(S, QStringLiteral("offline")) && Contains(L, QStringLiteral("1")))
        return ConnectionState::LanOnlyOffline;
    if (Contains(L, QStringLiteral("1")) && Contains(S, QStringLiteral("online")))
        return ConnectionState::LanAndWanOnline;
    if (Contains(S, QStringLiteral("offline")) && Contains(L, QString::fromLatin1(kLoopbackMarker)))
        return ConnectionState::Offline;
    return ConnectionState::WanOnlyOnline;
}

QString StatusText(ConnectionState state) {
    switch (state) {
    case ConnectionState::LanOnlyOffline:
        return QStringLiteral("LAN Only - Offline");
    case ConnectionState::LanAndWanOnline:
        return QStringLiteral("LAN And WAN - Online");
    case ConnectionState::Offline:
        return QStringLiteral("Offline");
    case ConnectionState::WanOnlyOnline:
        return QStringLiteral("WAN Only - Online");
    }
    return {};
}

}  // namespace app
