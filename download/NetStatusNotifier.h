#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"

#include <functional>
#include <memory>

class FilesDownManage;
class Reachability;

// The network-status watcher: when the device moves onto the cellular network while
// videos download, it either stops every download (cellular downloads not allowed,
// the "notWifiDown" preference) or asks the user whether to go on. One move is
// handled at most once per 10 seconds, since several reachability objects may report
// the same change.
class NetStatusNotifier : public platform::AlertViewDelegate,
                          public std::enable_shared_from_this<NetStatusNotifier> {
public:
    static constexpr double kResetDelay = 10.0;
    static constexpr const char* kNotWifiDownKey = "notWifiDown";
    static constexpr const char* kAlertTitle = "提示";
    static constexpr const char* kAlertMessage = "正在使用3G网络,是否继续当前下载任务!";
    static constexpr const char* kStopButton = "停止下载";
    static constexpr const char* kContinueButton = "继续下载";
    // The host whose route the watcher follows.
    static constexpr const char* kWatchedHost = "www.apple.com";

    using EngineSource = std::function<std::shared_ptr<FilesDownManage>()>;

    // The process's watcher, made once (thread-safe) and started at once.
    static std::shared_ptr<NetStatusNotifier> getNetStatusInstance();

    // A watcher that acts on the engine `engine` gives (by default the shared engine,
    // which the launch sequence creates right after the watcher). It does not watch
    // until checkNetworkStatus().
    explicit NetStatusNotifier(EngineSource engine = {});
    ~NetStatusNotifier() override;
    NetStatusNotifier(const NetStatusNotifier&) = delete;
    NetStatusNotifier& operator=(const NetStatusNotifier&) = delete;

    // Observes "kReachabilityChangedNotification" and starts a reachability object
    // for the watched host.
    void checkNetworkStatus();
    // A reachability object reports a change.
    void reachabilityChanged(Reachability& reachability);
    // The policy for one change: `viaCellular` when the route now goes over the
    // cellular network, else `viaWiFi` when it is reachable at all.
    void reachabilityChanged(bool viaCellular, bool viaWiFi);
    void resetNetOperation();
    // Whether a download is running: some request's record is downloading.
    bool checkIsDownLoad();

    // "停止下载" (the cancel button) stops every download; "继续下载" lets them run.
    void clickedButtonAtIndex(platform::AlertView& alert, int buttonIndex) override;

    // A move onto the cellular network was handled within the last 10 seconds.
    bool netChangeOperation() const { return _netChangeOperation; }

private:
    std::shared_ptr<FilesDownManage> engine() const;
    void stopAllDownloads();

    EngineSource engine_;
    bool _netChangeOperation = false;
    platform::Observation _reachabilityObservation;
    std::shared_ptr<Reachability> _hostReach;
};
