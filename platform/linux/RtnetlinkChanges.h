#pragma once

#include <QSocketNotifier>
#include <memory>
#include <vector>

#include "probes/NetworkChanges.h"

struct mnl_socket;

namespace platform::gnulinux {

// The kernel's announcements of link, IPv4 address and IPv4 route changes
// (rtnetlink groups RTMGRP_LINK, RTMGRP_IPV4_IFADDR, RTMGRP_IPV4_ROUTE), on
// a socket the event loop watches: nothing runs until the kernel speaks.
// Whatever has arrived when the loop looks gives one changed(); a lost
// announcement (the socket's buffer overflowed) counts as a change too.
// The namespace is that of the thread that makes it.
class RtnetlinkChanges final : public probes::NetworkChanges {
    Q_OBJECT
public:
    // Throws std::system_error when the kernel cannot be asked.
    explicit RtnetlinkChanges(QObject* parent = nullptr);
    ~RtnetlinkChanges() override;

private:
    void readAnnouncements();

    struct SocketCloser {
        void operator()(mnl_socket* socket) const;
    };
    std::unique_ptr<mnl_socket, SocketCloser> socket_;
    std::vector<char> buffer_;
    // Declared after the socket, so that it goes first.
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform::gnulinux
