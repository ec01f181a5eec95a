#include "platform/net/NetworkMonitor.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/RouteTable.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <vector>

namespace platform {

struct NetworkMonitor::Entry {
    Observer observer;
    std::atomic<bool> active{true};
};

// Shared with the tasks posted to the main loop, which may run after the monitor
// is gone; `alive` then keeps them silent.
struct NetworkMonitor::Observers {
    std::mutex mutex;
    std::map<std::uint64_t, std::shared_ptr<Entry>> entries;
    std::uint64_t nextId = 1;
    bool alive = true;
};

NetworkMonitor::NetworkMonitor(std::string rootDirectory)
    : root_(std::move(rootDirectory)), observers_(std::make_shared<Observers>()) {}

NetworkMonitor::~NetworkMonitor() {
    stop();
    std::lock_guard lock(observers_->mutex);
    observers_->alive = false;
    observers_->entries.clear();
}

NetworkMonitor& NetworkMonitor::shared() {
    static NetworkMonitor* monitor = new NetworkMonitor();  // lives as long as the process
    return *monitor;
}

NetworkStatus NetworkMonitor::status() const {
    std::lock_guard lock(mutex_);
    return effectiveLocked();
}

NetworkStatus NetworkMonitor::machineStatus() const {
    std::lock_guard lock(mutex_);
    return machine_;
}

std::optional<NetworkStatus> NetworkMonitor::statusOverride() const {
    std::lock_guard lock(mutex_);
    return override_;
}

void NetworkMonitor::setOverride(std::optional<NetworkStatus> status) {
    std::lock_guard lock(mutex_);
    const auto before = effectiveLocked();
    override_ = status;
    const auto after = effectiveLocked();
    if (after != before) announceLocked(after);
}

NetworkMonitorObservation NetworkMonitor::addObserver(Observer observer) {
    auto entry = std::make_shared<Entry>();
    entry->observer = std::move(observer);
    std::uint64_t id = 0;
    {
        std::lock_guard lock(observers_->mutex);
        id = observers_->nextId++;
        observers_->entries.emplace(id, entry);
    }
    std::weak_ptr<Observers> weak = observers_;
    return NetworkMonitorObservation([weak, id] {
        const auto observers = weak.lock();
        if (!observers) return;
        std::lock_guard lock(observers->mutex);
        const auto it = observers->entries.find(id);
        if (it == observers->entries.end()) return;
        it->second->active = false;
        observers->entries.erase(it);
    });
}

void NetworkMonitor::start() {
    std::lock_guard lock(lifecycleMutex_);
    if (watcher_.isRunning()) return;
    // Watching first, then reading: a change in between is not lost. Without a
    // route socket the status still comes from this first reading.
    watcher_.start([this] { refresh(); });
    refresh();
}

void NetworkMonitor::stop() {
    std::lock_guard lock(lifecycleMutex_);
    watcher_.stop();
}

bool NetworkMonitor::isWatching() const {
    return watcher_.isRunning();
}

void NetworkMonitor::refresh() {
    std::lock_guard refreshing(refreshMutex_);
    const auto machine = readMachineStatus();
    std::lock_guard lock(mutex_);
    const auto before = effectiveLocked();
    machine_ = machine;
    const auto after = effectiveLocked();
    if (after != before) announceLocked(after);
}

NetworkStatus NetworkMonitor::readMachineStatus() const {
    const auto ipv4 = FileSystem::readFile(FileSystem::appendingPathComponent(root_, "proc/net/route"));
    const auto ipv6 = FileSystem::readFile(FileSystem::appendingPathComponent(root_, "proc/net/ipv6_route"));
    const auto route = RouteTable::defaultRoute(ipv4.value_or(""), ipv6.value_or(""));
    if (!route) return NetworkStatus::None;
    return kindOfInterface(route->interfaceName);
}

NetworkStatus NetworkMonitor::kindOfInterface(const std::string& name) const {
    const auto folder = FileSystem::appendingPathComponent(root_, "sys/class/net/" + name);
    if (FileSystem::exists(FileSystem::appendingPathComponent(folder, "wireless")) ||
        FileSystem::exists(FileSystem::appendingPathComponent(folder, "phy80211"))) {
        return NetworkStatus::WiFi;
    }
    if (name.rfind("wwan", 0) == 0 || name.rfind("ppp", 0) == 0) return NetworkStatus::Cellular;
    if (const auto uevent = FileSystem::readFile(FileSystem::appendingPathComponent(folder, "uevent"))) {
        // One KEY=value per line; a modem's network function says DEVTYPE=wwan.
        std::string_view rest(*uevent);
        while (!rest.empty()) {
            const auto end = rest.find('\n');
            auto line = rest.substr(0, end);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.remove_suffix(1);
            if (line == "DEVTYPE=wwan") return NetworkStatus::Cellular;
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
    }
    return NetworkStatus::WiFi;
}

NetworkStatus NetworkMonitor::effectiveLocked() const {
    return override_.value_or(machine_);
}

void NetworkMonitor::announceLocked(NetworkStatus status) {
    RunLoop::main().post([observers = observers_, status] {
        std::vector<std::shared_ptr<Entry>> entries;
        {
            std::lock_guard lock(observers->mutex);
            if (!observers->alive) return;
            for (const auto& [id, entry] : observers->entries)
                entries.push_back(entry);
        }
        for (const auto& entry : entries) {
            // An observer may end another one's observation while we deliver.
            if (entry->active) entry->observer(status);
        }
        NotificationCenter::defaultCenter().post(kNetworkMonitorChanged,
                                                 {{"status", std::string(nameOf(status))}});
    });
}

std::string_view NetworkMonitor::nameOf(NetworkStatus status) {
    switch (status) {
        case NetworkStatus::WiFi: return "wifi";
        case NetworkStatus::Cellular: return "cellular";
        case NetworkStatus::None: break;
    }
    return "none";
}

std::optional<NetworkStatus> NetworkMonitor::statusNamed(std::string_view name) {
    if (name == "wifi") return NetworkStatus::WiFi;
    if (name == "cellular") return NetworkStatus::Cellular;
    if (name == "none") return NetworkStatus::None;
    return std::nullopt;
}

}  // namespace platform
