#pragma once

#include <functional>

namespace platform {

// An observer of a NetworkMonitor lasts as long as this handle: destroying it (with
// its owner) stops delivery, also in the middle of one.
class NetworkMonitorObservation {
public:
    NetworkMonitorObservation() = default;
    NetworkMonitorObservation(NetworkMonitorObservation&& other) noexcept;
    NetworkMonitorObservation& operator=(NetworkMonitorObservation&& other) noexcept;
    NetworkMonitorObservation(const NetworkMonitorObservation&) = delete;
    NetworkMonitorObservation& operator=(const NetworkMonitorObservation&) = delete;
    ~NetworkMonitorObservation();

    void reset();
    bool isActive() const { return static_cast<bool>(cancel_); }

private:
    friend class NetworkMonitor;
    explicit NetworkMonitorObservation(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    std::function<void()> cancel_;
};

}  // namespace platform
