#include "platform/linux/RtnetlinkChanges.h"

#include <libmnl/libmnl.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cerrno>
#include <system_error>

namespace platform::gnulinux {

void RtnetlinkChanges::SocketCloser::operator()(mnl_socket* socket) const { mnl_socket_close(socket); }

RtnetlinkChanges::RtnetlinkChanges(QObject* parent)
    : probes::NetworkChanges(parent),
      socket_(mnl_socket_open2(NETLINK_ROUTE, SOCK_CLOEXEC | SOCK_NONBLOCK)),
      buffer_(MNL_SOCKET_BUFFER_SIZE) {
    if (!socket_) throw std::system_error(errno, std::generic_category(), "netlink socket");
    if (mnl_socket_bind(socket_.get(), RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE, MNL_SOCKET_AUTOPID) < 0)
        throw std::system_error(errno, std::generic_category(), "netlink bind");
    notifier_ = std::make_unique<QSocketNotifier>(mnl_socket_get_fd(socket_.get()), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &RtnetlinkChanges::readAnnouncements);
}

RtnetlinkChanges::~RtnetlinkChanges() = default;

void RtnetlinkChanges::readAnnouncements() {
    bool announced = false;
    for (;;) {
        const ssize_t received = mnl_socket_recvfrom(socket_.get(), buffer_.data(), buffer_.size());
        // An overflow (ENOBUFS) dropped announcements: what they said is
        // unknown, so it counts as a change too.
        if (received > 0 || (received < 0 && errno == ENOBUFS)) {
            announced = true;
        } else if (received < 0 && errno == EINTR) {
            continue;
        } else if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            // The socket is broken for good; a notifier left on would wake
            // the loop over and over. The last change still counts.
            notifier_->setEnabled(false);
            announced = true;
            break;
        }
    }
    if (announced) emit changed();
}

}  // namespace platform::gnulinux
