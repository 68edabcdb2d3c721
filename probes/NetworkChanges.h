#pragma once

#include <QObject>

namespace probes {

// Tells when the lookups' answers may have changed: a link, an IPv4
// address or an IPv4 route of this machine came, went or changed. Emits
// changed() on the thread that made it, from its event loop; a burst of
// kernel messages may give one signal or several.
class NetworkChanges : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void changed();
};

}  // namespace probes
