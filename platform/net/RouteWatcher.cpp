#include "platform/net/RouteWatcher.h"

#include "platform/foundation/Log.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace platform {

namespace {
std::string reasonOf(int error) {
    return std::error_code(error, std::generic_category()).message();
}
}  // namespace

RouteWatcher::~RouteWatcher() {
    stop();
}

bool RouteWatcher::start(Callback onChange) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) return true;

    const int netlink = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (netlink < 0) {
        logf("NetworkMonitor: cannot open a route socket: {}", reasonOf(errno));
        return false;
    }
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE | RTMGRP_LINK;
    if (::bind(netlink, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        logf("NetworkMonitor: cannot listen for route changes: {}", reasonOf(errno));
        ::close(netlink);
        return false;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        logf("NetworkMonitor: cannot create the wake descriptor: {}", reasonOf(errno));
        ::close(netlink);
        return false;
    }
    netlink_ = netlink;
    wake_ = wake;
    onChange_ = std::move(onChange);
    thread_ = std::thread([this] { run(); });
    return true;
}

void RouteWatcher::stop() {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) return;
    const std::uint64_t one = 1;
    // An eventfd write of 8 bytes only fails when the counter would overflow,
    // which a single stop cannot cause.
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
    thread_.join();
    ::close(netlink_);
    ::close(wake_);
    netlink_ = -1;
    wake_ = -1;
    onChange_ = nullptr;
}

bool RouteWatcher::isRunning() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable();
}

void RouteWatcher::run() {
    // The descriptors and callback stay fixed while the thread lives: stop() joins
    // before it touches them.
    for (;;) {
        std::array<pollfd, 2> fds{{{netlink_, POLLIN, 0}, {wake_, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            logf("NetworkMonitor: route watching ended: {}", reasonOf(errno));
            return;
        }
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLNVAL) != 0) return;
        if (fds[0].revents == 0) continue;
        // A burst of messages (a link going down drops several routes) makes one
        // re-read; an overrun socket still means something changed.
        const bool healthy = drain();
        onChange_();
        if (!healthy) return;
    }
}

bool RouteWatcher::drain() const {
    alignas(nlmsghdr) std::array<char, 16384> buffer{};
    for (;;) {
        const ssize_t n = ::recv(netlink_, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n > 0) continue;
        if (n == 0) return true;
        switch (errno) {
            case EINTR:
            case ENOBUFS: continue;
            case EAGAIN: return true;
            default: logf("NetworkMonitor: route watching ended: {}", reasonOf(errno)); return false;
        }
    }
}

}  // namespace platform
