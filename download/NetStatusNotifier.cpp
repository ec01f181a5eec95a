#include "download/NetStatusNotifier.h"

#include "Library/HTTPRequest/HTTPRequest.h"
#include "download/FilesDownManage.h"
#include "netutil/Reachability.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

std::shared_ptr<NetStatusNotifier> NetStatusNotifier::getNetStatusInstance() {
    static const std::shared_ptr<NetStatusNotifier> instance = [] {
        auto made = std::make_shared<NetStatusNotifier>();
        made->checkNetworkStatus();
        return made;
    }();
    return instance;
}

NetStatusNotifier::NetStatusNotifier(EngineSource engine) : engine_(std::move(engine)) {}

NetStatusNotifier::~NetStatusNotifier() {
    if (_hostReach) {
        _hostReach->stopNotifier();
    }
}

std::shared_ptr<FilesDownManage> NetStatusNotifier::engine() const {
    return engine_ ? engine_() : FilesDownManage::sharedFilesDownManage();
}

void NetStatusNotifier::checkNetworkStatus() {
    std::weak_ptr<NetStatusNotifier> weak = weak_from_this();
    _reachabilityObservation = platform::NotificationCenter::defaultCenter().addObserver(
        Reachability::kReachabilityChangedNotification, [weak](const platform::Notification& notification) {
            auto self = weak.lock();
            auto reachability = Reachability::objectOfNotification(notification);
            if (self && reachability) {
                self->reachabilityChanged(*reachability);
            }
        });
    if (_hostReach) {
        return;
    }
    _hostReach = Reachability::reachabilityWithHostname(kWatchedHost);
    if (_hostReach) {
        _hostReach->startNotifier();
    }
}

void NetStatusNotifier::reachabilityChanged(Reachability& reachability) {
    reachabilityChanged(reachability.isReachableViaWWAN(), reachability.isReachableViaWiFi());
}

void NetStatusNotifier::reachabilityChanged(bool viaCellular, bool viaWiFi) {
    if (!viaCellular) {
        // Downloads stopped on the cellular network stay stopped: the user resumes them.
        platform::log(viaWiFi ? "切换到wifi" : "网络不连接");
        return;
    }
    platform::log("切换到3G网络");
    if (_netChangeOperation) {
        return;
    }
    auto allowed = platform::UserDefaults::standard().stringForKey(kNotWifiDownKey);
    if (allowed && *allowed == "yes") {
        if (checkIsDownLoad()) {
            auto alert = platform::AlertView::create(kAlertTitle, kAlertMessage, weak_from_this(),
                                                     std::string(kStopButton), {kContinueButton});
            alert->show();
        }
    } else {
        platform::log("禁止3G 下载");
        stopAllDownloads();
    }
    _netChangeOperation = true;
    std::weak_ptr<NetStatusNotifier> weak = weak_from_this();
    platform::RunLoop::main().schedule(kResetDelay, [weak] {
        if (auto self = weak.lock()) {
            self->resetNetOperation();
        }
    });
}

void NetStatusNotifier::resetNetOperation() {
    _netChangeOperation = false;
}

bool NetStatusNotifier::checkIsDownLoad() {
    auto manager = engine();
    if (!manager) {
        return false;
    }
    for (const auto& request : manager->downinglist()) {
        auto record = request ? FilesDownManage::recordOf(*request) : nullptr;
        if (record && record->state() == FileModel::State::Downloading) {
            return true;
        }
    }
    return false;
}

void NetStatusNotifier::stopAllDownloads() {
    if (auto manager = engine()) {
        manager->stopAllRequest();
    }
}

void NetStatusNotifier::clickedButtonAtIndex(platform::AlertView& alert, int buttonIndex) {
    if (buttonIndex == alert.cancelButtonIndex()) {
        stopAllDownloads();
    }
}
