#include "netutil/Reachability.h"

#include "platform/foundation/MainThread.h"

#include <map>
#include <utility>

namespace {

// Started objects by identifier, so an observer can find the object a notification
// names. Weak: stopNotifier() takes the entry out (a started object is kept alive until then).
// Main thread only, like starting and stopping.
struct Registry {
    std::map<std::uint64_t, std::weak_ptr<Reachability>> started;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

std::uint64_t nextIdentifier() {
    static std::uint64_t counter = 0;
    return ++counter;
}

}  // namespace

std::shared_ptr<Reachability> Reachability::reachabilityWithHostname(const std::string& hostName) {
    if (hostName.empty()) {
        return nullptr;
    }
    return std::make_shared<Reachability>(platform::NetworkMonitor::shared(), hostName);
}

std::shared_ptr<Reachability> Reachability::reachabilityForInternetConnection() {
    return std::make_shared<Reachability>(platform::NetworkMonitor::shared(), std::string());
}

Reachability::Reachability(platform::NetworkMonitor& monitor, std::string hostName)
    : monitor_(monitor), hostName_(std::move(hostName)) {}

Reachability::~Reachability() = default;

bool Reachability::startNotifier() {
    platform::assertMainThread();
    if (observation_.isActive()) {
        return true;
    }
    // The monitor runs its observers on the main run loop, so the notification is
    // posted there too. The observer holds the object weakly; keepAlive_ is what
    // keeps a started object alive.
    std::weak_ptr<Reachability> weak = weak_from_this();
    if (weak.expired()) {
        return false;  // not owned by a shared_ptr: nothing could keep it alive
    }
    observation_ = monitor_.addObserver([weak](platform::NetworkStatus /*status*/) {
        if (const auto self = weak.lock()) {
            self->announce();
        }
    });
    keepAlive_ = shared_from_this();
    if (identifier_ == 0) {
        identifier_ = nextIdentifier();
    }
    registry().started[identifier_] = weak;
    return true;
}

void Reachability::stopNotifier() {
    platform::assertMainThread();
    observation_.reset();
    registry().started.erase(identifier_);
    // Last: this may release the object itself.
    const auto released = std::move(keepAlive_);
}

bool Reachability::isNotifying() const {
    return observation_.isActive();
}

std::uint32_t Reachability::reachabilityFlags() const {
    switch (monitor_.status()) {
        case platform::NetworkStatus::WiFi: return kFlagReachable;
        case platform::NetworkStatus::Cellular: return kFlagReachable | kFlagIsWWAN;
        case platform::NetworkStatus::None: break;
    }
    return 0;
}

bool Reachability::isReachable() const {
    const std::uint32_t flags = reachabilityFlags();
    const std::uint32_t both = kFlagConnectionRequired | kFlagTransientConnection;
    return (flags & kFlagReachable) != 0 && (flags & both) != both;
}

bool Reachability::isReachableViaWWAN() const {
    const std::uint32_t flags = reachabilityFlags();
    return (flags & kFlagReachable) != 0 && (flags & kFlagIsWWAN) != 0;
}

bool Reachability::isReachableViaWiFi() const {
    const std::uint32_t flags = reachabilityFlags();
    return (flags & kFlagReachable) != 0 && (flags & kFlagIsWWAN) == 0;
}

int Reachability::currentReachabilityStatus() const {
    if (!isReachable()) {
        return NotReachable;
    }
    return isReachableViaWiFi() ? ReachableViaWiFi : ReachableViaWWAN;
}

std::shared_ptr<Reachability> Reachability::objectOfNotification(const platform::Notification& notification) {
    if (!notification.userInfo.is_object()) {
        return nullptr;
    }
    const auto found = notification.userInfo.find("reachability");
    if (found == notification.userInfo.end() || !found->is_number_unsigned()) {
        return nullptr;
    }
    platform::assertMainThread();
    const auto entry = registry().started.find(found->get<std::uint64_t>());
    return entry == registry().started.end() ? nullptr : entry->second.lock();
}

void Reachability::announce() {
    platform::NotificationCenter::defaultCenter().post(
        kReachabilityChangedNotification,
        {{"reachability", identifier_}, {"status", currentReachabilityStatus()}, {"host", hostName_}});
}
