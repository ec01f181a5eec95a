#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/net/NetworkMonitor.h"

#include <cstdint>
#include <memory>
#include <string>

// The reachability service over the platform's network monitor. The device API's
// network override is what the monitor answers, so it is what this answers too.
// Wired links count as Wi-Fi; "none" is not reachable.
//
// A started object posts "kReachabilityChangedNotification" on the main thread each
// time the monitor's status changes; the userInfo names the posting object
// ({"reachability": id, "status": 0 | 1 | 2}) and objectOfNotification() finds it.
// A started object stays alive by itself until stopNotifier().
class Reachability : public std::enable_shared_from_this<Reachability> {
public:
    static constexpr const char* kReachabilityChangedNotification = "kReachabilityChangedNotification";

    // currentReachabilityStatus() values.
    static constexpr int NotReachable = 0;
    static constexpr int ReachableViaWWAN = 1;
    static constexpr int ReachableViaWiFi = 2;

    // The platform's route flag bits.
    static constexpr std::uint32_t kFlagTransientConnection = 1;
    static constexpr std::uint32_t kFlagReachable = 2;
    static constexpr std::uint32_t kFlagConnectionRequired = 4;
    static constexpr std::uint32_t kFlagIsWWAN = 262144;

    // The route to a host name; nothing for an empty name.
    static std::shared_ptr<Reachability> reachabilityWithHostname(const std::string& hostName);
    // The general internet route (the IPv4 zero address).
    static std::shared_ptr<Reachability> reachabilityForInternetConnection();

    // An object over `monitor` (the shared monitor for the class operations).
    Reachability(platform::NetworkMonitor& monitor, std::string hostName);
    ~Reachability();
    Reachability(const Reachability&) = delete;
    Reachability& operator=(const Reachability&) = delete;

    // Starts change notifications; true on success (also when already started).
    bool startNotifier();
    void stopNotifier();
    bool isNotifying() const;

    // The route's flags now: kFlagReachable, plus kFlagIsWWAN over the cellular network.
    std::uint32_t reachabilityFlags() const;
    bool isReachable() const;
    bool isReachableViaWWAN() const;
    bool isReachableViaWiFi() const;
    int currentReachabilityStatus() const;

    const std::string& hostName() const { return hostName_; }  // empty for the internet route
    // What its notifications name it by; 0 until it is first started.
    std::uint64_t identifier() const { return identifier_; }

    // The started object that posted `notification`, while it is still started.
    static std::shared_ptr<Reachability> objectOfNotification(const platform::Notification& notification);

private:
    void announce();

    platform::NetworkMonitor& monitor_;
    std::string hostName_;
    std::uint64_t identifier_ = 0;  // given when first started
    platform::NetworkMonitorObservation observation_;
    std::shared_ptr<Reachability> keepAlive_;  // set while started
};
