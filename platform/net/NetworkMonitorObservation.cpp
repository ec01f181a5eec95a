#include "platform/net/NetworkMonitorObservation.h"

#include <utility>

namespace platform {

NetworkMonitorObservation::NetworkMonitorObservation(NetworkMonitorObservation&& other) noexcept
    : cancel_(std::exchange(other.cancel_, nullptr)) {}

NetworkMonitorObservation& NetworkMonitorObservation::operator=(NetworkMonitorObservation&& other) noexcept {
    if (this != &other) {
        reset();
        cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
}

NetworkMonitorObservation::~NetworkMonitorObservation() {
    reset();
}

void NetworkMonitorObservation::reset() {
    if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
}

}  // namespace platform
