#include "screens/CourseDetailViewCon.h"

#include "app/LoginInstance.h"
#include "app/LoginViewCon.h"
#include "components/Toast.h"
#include "download/FilesDownManage.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/image/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "storage/FileManagerUtil.h"

#include <fmt/format.h>

namespace {

constexpr const char* kFavorImage = "favor_selected.png";
constexpr const char* kUnFavorImage = "unFavor.png";

std::string textOf(const platform::Value& course, const char* key) {
    return platform::Json::description(platform::Json::find(course, key));
}

}  // namespace

CourseDetailViewCon::CourseDetailViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void CourseDetailViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    auto self = platform::sharedSelf(this);
    setBackStyle(kBackStyleBack);

    // The interface description: the page below the title bar, the favourite button.
    double top = navBarHeight();
    platform::Rect bounds = view()->bounds();
    _webView = platform::View::create<platform::WebView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _webView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _webView->setScalesPageToFit(true);
    _webView->setDelegate(std::static_pointer_cast<platform::WebViewDelegate>(self));
    view()->addSubview(_webView);

    bool newSystem = platform::Application::shared().systemVersionNumber() >= 7;
    _favorBtn = platform::View::create<platform::Button>(platform::Rect::make(280, newSystem ? 28 : 8, 30, 30));
    _favorBtn->setImage(platform::Image::named(kUnFavorImage), platform::ControlStateNormal);
    _favorBtn->addTarget(self, &CourseDetailViewCon::shopFavor, platform::TouchUpInside);
    baseNavView->addSubview(_favorBtn);

    setNavigationTitle(platform::Json::stringForKey(_detailData, "detailTitle").value_or(""));
    setFavorTag();

    std::weak_ptr<CourseDetailViewCon> weak = self;
    _loginObservation = platform::NotificationCenter::defaultCenter().addObserver(
        LoginViewCon::kUserLoginSucNotification, [weak](const platform::Notification&) {
            if (auto screen = weak.lock()) {
                screen->UserLoginSuc();
            }
        });
    loadWebSite();

    auto swipe = std::make_shared<platform::SwipeGestureRecognizer>();
    swipe->setDirection(platform::SwipeDirectionRight);
    swipe->addTarget(self, &CourseDetailViewCon::handleSwipeFrom);
    _webView->addGestureRecognizer(swipe);

    hud = std::make_shared<ProgressHUD>(*view());
    hud->setLabelText("加载中...");
    _webView->addSubview(hud);
}

std::string CourseDetailViewCon::pageAddress(const platform::Value& course, const std::string& userId) {
    // Values go in unchanged: the service's addresses need no escaping.
    if (!userId.empty()) {
        return fmt::format("{}?userId={}&docId={}&from=iOS", textOf(course, "url"), userId, textOf(course, "id"));
    }
    return fmt::format("{}?docId={}&from=iOS", textOf(course, "url"), textOf(course, "id"));
}

void CourseDetailViewCon::loadWebSite() {
    std::string userId = LoginInstance::getUserInstance().userId().value_or("");
    _webView->loadRequest(pageAddress(_detailData, userId));
}

void CourseDetailViewCon::UserLoginSuc() {
    platform::log("refresh");
    loadWebSite();
}

void CourseDetailViewCon::setFavorTag() {
    if (platform::Json::find(_detailData, "id") == nullptr) {
        return;
    }
    _isFavor = FileManagerUtil::findShopCollection(_detailData);
    _favorBtn->setImage(platform::Image::named(_isFavor ? kFavorImage : kUnFavorImage), platform::ControlStateNormal);
}

void CourseDetailViewCon::shopFavor(platform::Control&) {
    platform::log(fmt::format("detailData is: {}", platform::Json::description(_detailData)));
    if (!_detailData.is_object() || _detailData.empty()) {
        return;
    }
    if (!_isFavor) {
        if (FileManagerUtil::collectShopItem(_detailData)) {
            _isFavor = true;
            _favorBtn->setImage(platform::Image::named(kFavorImage), platform::ControlStateNormal);
            Toast::showToastWithText("收藏成功");
        }
    } else if (FileManagerUtil::removeCollectItem(_detailData)) {
        _isFavor = false;
        _favorBtn->setImage(platform::Image::named(kUnFavorImage), platform::ControlStateNormal);
        Toast::showToastWithText("取消收藏成功");
    }
    platform::NotificationCenter::defaultCenter().post(kCollectionChangedNotification);
}

bool CourseDetailViewCon::shouldStartLoadWithRequest(platform::WebView&, const std::string& url,
                                                     platform::WebViewNavigationType) {
    if (url.find("doLogin") != std::string::npos) {
        platform::log("用户登录逻辑");
        pushLogin();
        return false;
    }
    if (url.rfind(kVideoLinkPrefix, 0) == 0) {
        platform::log("视频下载逻辑");
        queueVideo(url);
    }
    return true;
}

void CourseDetailViewCon::queueVideo(const std::string& link) {
    // "video:" + address + "*" + file identifier; the address itself may hold "*".
    std::size_t star = link.rfind('*');
    if (star == std::string::npos) {
        Toast::showToastWithText("视频地址错误!");
        return;
    }
    std::string fileID = link.substr(star + 1);
    std::string address = link.substr(0, star).substr(std::char_traits<char>::length(kVideoLinkPrefix));
    if (address.empty()) {
        return;
    }
    // The identifier comes from a web page and becomes a file name on disk.
    if (!FilesDownManage::isSafeFileID(fileID)) {
        Toast::showToastWithText("视频地址错误!");
        return;
    }
    std::string title = platform::Json::stringForKey(_detailData, "title").value_or("");
    FilesDownManage::sharedFilesDownManage()->downFileUrl(address, fileID, "mp4",
                                                          title.empty() ? kDefaultVideoName : title);
    platform::log(fmt::format("文件地址:{}, 文件id: {}, 文件名字: {}", address, fileID, title));
}

void CourseDetailViewCon::pushLogin() {
    if (auto* stack = navigationController()) {
        stack->pushViewController(std::make_shared<LoginViewCon>("LoginViewCon"), true);
    }
}

void CourseDetailViewCon::webViewDidStartLoad(platform::WebView&) {
    hud->show(true);
}

void CourseDetailViewCon::webViewDidFinishLoad(platform::WebView&) {
    hud->hide(true);
}

void CourseDetailViewCon::didFailLoadWithError(platform::WebView&, const platform::WebError&) {
    hud->hide(true);
}

void CourseDetailViewCon::back(platform::Control*) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}

void CourseDetailViewCon::handleSwipeFrom(platform::GestureRecognizer&) {
    back(nullptr);
}
