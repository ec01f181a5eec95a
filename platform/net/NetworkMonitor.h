#pragma once

#include "platform/net/NetworkMonitorObservation.h"
#include "platform/net/RouteWatcher.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The network the device reaches the wider world through. Wired and wireless
// interfaces both count as WiFi: neither is the metered cellular network.
enum class NetworkStatus { None, WiFi, Cellular };

// Posted on NotificationCenter::defaultCenter(), on the main run loop, each time the
// effective status changes; userInfo is {"status": "wifi" | "cellular" | "none"}.
inline constexpr char kNetworkMonitorChanged[] = "kNetworkMonitorChanged";

// The stand-in for the phone's reachability service: watches the machine's default
// route and the kind of interface that carries it. The device API can override what
// the machine reports. Observers run on the main run loop, once per change of the
// effective status.
class NetworkMonitor {
public:
    using Observer = std::function<void(NetworkStatus)>;

    // `rootDirectory` prefixes /proc and /sys, so tests can feed trees of their own.
    explicit NetworkMonitor(std::string rootDirectory = "/");
    ~NetworkMonitor();
    NetworkMonitor(const NetworkMonitor&) = delete;
    NetworkMonitor& operator=(const NetworkMonitor&) = delete;

    static NetworkMonitor& shared();

    // Thread-safe: the override when one is set, else what the machine reported at
    // the last refresh.
    NetworkStatus status() const;
    NetworkStatus machineStatus() const;
    std::optional<NetworkStatus> statusOverride() const;
    // Thread-safe. From now on status() answers `status`; nullopt returns to the
    // machine's status. Observers hear of it when the effective status changes.
    void setOverride(std::optional<NetworkStatus> status);

    // The observer runs on the main run loop while the handle lives.
    [[nodiscard]] NetworkMonitorObservation addObserver(Observer observer);

    // Reads the machine's status now, then keeps it current from a background
    // thread that wakes only when a route or link changes.
    void start();
    void stop();
    bool isWatching() const;
    // Re-reads the routing tables and interfaces (any thread; the watcher calls it).
    void refresh();

    const std::string& rootDirectory() const { return root_; }

    // "wifi", "cellular", "none": the names the device API uses.
    static std::string_view nameOf(NetworkStatus status);
    static std::optional<NetworkStatus> statusNamed(std::string_view name);

private:
    struct Entry;
    struct Observers;

    NetworkStatus readMachineStatus() const;
    NetworkStatus kindOfInterface(const std::string& name) const;
    NetworkStatus effectiveLocked() const;
    // Called with mutex_ held, so changes reach the main loop in the order they happened.
    void announceLocked(NetworkStatus status);

    const std::string root_;
    mutable std::mutex mutex_;
    NetworkStatus machine_ = NetworkStatus::None;
    std::optional<NetworkStatus> override_;
    std::mutex refreshMutex_;    // one reading of the machine at a time
    std::mutex lifecycleMutex_;  // start and stop
    RouteWatcher watcher_;
    std::shared_ptr<Observers> observers_;
};

}  // namespace platform
