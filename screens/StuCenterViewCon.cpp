#include "screens/StuCenterViewCon.h"

#include "app/LoginInstance.h"
#include "app/LoginViewCon.h"
#include "app/SessionStore.h"
#include "components/BrandColor.h"
#include "download/FilesDownManage.h"
#include "download/StudeRecordViewCon.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "screens/FavorViewCon.h"
#include "screens/FeedBackViewCon.h"
#include "screens/MoreCell.h"
#include "screens/WebViewController.h"
#include "service/ServiceEndpoint.h"

namespace {


enum Row { kHeaderRow = 0, kLoginRow = 1, kCellularRow = 2, kClearVideosRow = 3, kFeedbackRow = 4, kAboutRow = 5,
           kContactRow = 6, kFirstPlainRow = kClearVideosRow };

}  // namespace

StuCenterViewCon::StuCenterViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void StuCenterViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(3);
    setNavigationTitle("学员中心");
    std::weak_ptr<platform::ViewController> weak = weak_from_this();
    _loginObservation = platform::NotificationCenter::defaultCenter().addObserver(
        LoginViewCon::kUserLoginSucNotification, [weak](const platform::Notification&) {
            if (auto self = weak.lock()) {
                static_cast<StuCenterViewCon&>(*self).UserLoginSuc();
            }
        });
    _moreArray = {"清空视频", "意见反馈", "关于我们", "联系我们"};
    buildInterface();
}

void StuCenterViewCon::buildInterface() {
    auto self = platform::sharedSelf(this);
    double top = navBarHeight();
    platform::Rect bounds = view()->bounds();
    _listTableV = platform::View::create<platform::TableView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _listTableV->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _listTableV->setBackgroundColor(platform::Color::white(0.96));
    _listTableV->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self));
    _listTableV->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self));
    view()->addSubview(_listTableV);

    // The header row: the two entries side by side.
    cell0 = platform::View::create<platform::TableViewCell>(platform::CellStyle::Default, "header");
    cell0->setSelectionStyle(platform::CellSelectionStyle::None);
    auto makeEntry = [&](double x, const char* title, void (StuCenterViewCon::*action)(platform::Control&)) {
        auto button = platform::View::create<platform::Button>(platform::Rect::make(x, 12, 135, 56));
        button->setTitle(title, platform::ControlStateNormal);
        button->setTitleColor(brandColor(), platform::ControlStateNormal);
        button->setTitleColor(platform::Color::white(), platform::ControlStateHighlighted);
        button->titleLabel()->setFont(platform::Font::boldSystemFont(16));
        button->setBackgroundColor(platform::Color::white());
        button->setBorderWidth(1);
        button->setBorderColor(brandColor());
        button->setCornerRadius(6);
        button->addTarget(self, action, platform::TouchUpInside);
        cell0->contentView()->addSubview(button);
    };
    makeEntry(17, "课程收藏", &StuCenterViewCon::courseFavor);
    makeEntry(168, "课程下载", &StuCenterViewCon::studyRecord);

    // The login/logout row.
    cell2 = platform::View::create<platform::TableViewCell>(platform::CellStyle::Default, "login");
    loginLabel = platform::View::create<platform::Label>(platform::Rect::make(15, 0, 120, 44));
    loginLabel->setFont(platform::Font::systemFont(16));
    userNameLabel = platform::View::create<platform::Label>(platform::Rect::make(135, 0, 170, 44));
    userNameLabel->setFont(platform::Font::systemFont(15));
    userNameLabel->setTextColor(platform::Color::white(0.5));
    userNameLabel->setTextAlignment(platform::TextAlignment::Right);
    cell2->contentView()->addSubview(loginLabel);
    cell2->contentView()->addSubview(userNameLabel);

    // The cellular-download row.
    cell3 = platform::View::create<platform::TableViewCell>(platform::CellStyle::Default, "cellular");
    cell3->setSelectionStyle(platform::CellSelectionStyle::None);
    auto cellularLabel = platform::View::create<platform::Label>(platform::Rect::make(15, 0, 220, 44));
    cellularLabel->setFont(platform::Font::systemFont(16));
    cellularLabel->setText("3G网络下载视频");
    cell3->contentView()->addSubview(cellularLabel);
    _switch = platform::View::create<platform::Switch>(platform::Rect::make(254, 6, 0, 0));
    _switch->addTarget(self, &StuCenterViewCon::switchChanged, platform::ValueChanged);
    cell3->contentView()->addSubview(_switch);

    // No menu row opens the feedback form (the feedback row shows the service's
    // page), so the title bar offers it.
    bool newSystem = platform::Application::shared().systemVersionNumber() >= 7;
    _feedbackFormBtn = platform::View::create<platform::Button>(platform::Rect::make(250, newSystem ? 30 : 10, 62, 24));
    _feedbackFormBtn->setTitle("写反馈", platform::ControlStateNormal);
    _feedbackFormBtn->setTitleColor(platform::Color::white(), platform::ControlStateNormal);
    _feedbackFormBtn->titleLabel()->setFont(platform::Font::systemFont(15));
    _feedbackFormBtn->addTarget(self, &StuCenterViewCon::openFeedbackForm, platform::TouchUpInside);
    baseNavView->addSubview(_feedbackFormBtn);

    _listTableV->reloadData();
}

void StuCenterViewCon::UserLoginSuc() {
    _listTableV->reloadData();
}

int StuCenterViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return kRowCount;
}

std::optional<double> StuCenterViewCon::heightForRowAtIndexPath(platform::TableView&,
                                                                const platform::IndexPath& path) {
    return path.row == kHeaderRow ? 80 : 44;
}

void StuCenterViewCon::refreshLoginRow() {
    const LoginInstance& session = LoginInstance::getUserInstance();
    if (session.hasUserId()) {
        loginLabel->setText("退出登录");
        userNameLabel->setText(session.userName().value_or(""));
    } else {
        loginLabel->setText("登录");
        userNameLabel->setText("");
    }
}

std::shared_ptr<platform::TableViewCell> StuCenterViewCon::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& path) {
    switch (path.row) {
        case kHeaderRow: return cell0;
        case kLoginRow: refreshLoginRow(); return cell2;
        case kCellularRow:
            _switch->setOn(platform::UserDefaults::standard().stringForKey(kNotWifiDownKey) == "yes");
            return cell3;
        default: break;
    }
    auto cell = std::dynamic_pointer_cast<MoreCell>(
        tableView.dequeueReusableCellWithIdentifier(MoreCell::kReuseIdentifier));
    if (!cell) {
        cell = MoreCell::create();
    }
    auto index = static_cast<std::size_t>(path.row - kFirstPlainRow);
    cell->nameLabel()->setText(index < _moreArray.size() ? _moreArray[index] : std::string());
    cell->setAccessoryType(platform::CellAccessoryType::DisclosureIndicator);
    return cell;
}

void StuCenterViewCon::didSelectRowAtIndexPath(platform::TableView& tableView,
                                               const platform::IndexPath& path) {
    tableView.deselectRowAtIndexPath(path, false);
    if (path.row == kLoginRow) {
        if (LoginInstance::getUserInstance().hasUserName()) {
            showQuestion("温馨提示", "您确定要退出登录吗?", "确认", kLogoutAlertTag);
        } else {
            pushLogin();
        }
    } else if (path.row == kClearVideosRow) {
        showQuestion("温馨提示", "您确定要清空所有的视频吗?", "确认", kClearVideosAlertTag);
    } else if (path.row == kFeedbackRow) {
        std::string userId = LoginInstance::getUserInstance().userId().value_or("");
        openPage(ServiceEndpoint::feedbackPageUrl(userId), "意见反馈");
    } else if (path.row == kAboutRow) {
        openPage(ServiceEndpoint::aboutPageUrl(), "关于我们");
    } else if (path.row == kContactRow) {
        openPage(ServiceEndpoint::contactPageUrl(), "联系我们");
    }
}

void StuCenterViewCon::openPage(const std::string& url, const std::string& title) {
    auto page = std::make_shared<WebViewController>("WebViewController");
    page->setNavTitle(title);
    page->set_webUrl(url);
    push(page);
}

void StuCenterViewCon::push(const std::shared_ptr<platform::ViewController>& screen) {
    screen->setHidesBottomBarWhenPushed(true);
    if (auto* nav = navigationController()) {
        nav->pushViewController(screen, true);
    }
}

void StuCenterViewCon::openFeedbackForm(platform::Control&) {
    push(std::make_shared<FeedBackViewCon>("FeedBackViewCon"));
}

void StuCenterViewCon::showQuestion(const char* title, const char* message, const char* confirm, int tag) {
    auto self = platform::sharedSelf(this);
    auto alert = platform::AlertView::create(title, message,
                                             std::static_pointer_cast<platform::AlertViewDelegate>(self),
                                             std::string("取消"), {confirm});
    alert->setTag(tag);
    alert->show();
}

void StuCenterViewCon::pushLogin() {
    push(std::make_shared<LoginViewCon>("LoginViewCon"));
}

void StuCenterViewCon::courseFavor(platform::Control&) {
    if (LoginInstance::getUserInstance().hasUserName()) {
        push(std::make_shared<FavorViewCon>("FavorViewCon"));
    } else {
        pushLogin();
    }
}

void StuCenterViewCon::studyRecord(platform::Control&) {
    if (LoginInstance::getUserInstance().hasUserName()) {
        push(std::make_shared<StudeRecordViewCon>("StudeRecordViewCon"));
    } else {
        pushLogin();
    }
}

void StuCenterViewCon::switchChanged(platform::Control&) {
    if (_switch->isOn()) {
        showQuestion("提示", "3G网络下载可能会产生比较多的流量费用", "确定", kAllowCellularAlertTag);
    } else {
        showQuestion("提示", "用户在3G网络下无法下载视频", "确定", kForbidCellularAlertTag);
    }
}

void StuCenterViewCon::clickedButtonAtIndex(platform::AlertView& alert, int buttonIndex) {
    if (buttonIndex != alert.cancelButtonIndex()) {
        auto& defaults = platform::UserDefaults::standard();
        switch (alert.tag()) {
            case kAllowCellularAlertTag:
                defaults.setObject("yes", kNotWifiDownKey);
                defaults.synchronize();
                platform::log("开始3G网络下载");
                FilesDownManage::sharedFilesDownManage()->stopAllRequest();
                break;
            case kForbidCellularAlertTag:
                defaults.removeObjectForKey(kNotWifiDownKey);
                defaults.synchronize();
                break;
            case kLogoutAlertTag: SessionStore::clear(); break;
            case kClearVideosAlertTag: {
                auto engine = FilesDownManage::sharedFilesDownManage();
                engine->clearAllFinished();
                engine->clearAllRquests();
                break;
            }
            default: break;
        }
    }
    // The menu shows the stored state again, so a cancelled switch change is undone.
    _listTableV->reloadData();
}
