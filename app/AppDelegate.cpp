#include "app/AppDelegate.h"

#include "app/AutorotateNavigationController.h"
#include "app/AutorotateTabBarController.h"
#include "app/SessionStore.h"
#include "download/FilesDownManage.h"
#include "download/NetStatusNotifier.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/image/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarItem.h"
#include "screens/CourseViewCon.h"
#include "screens/MainViewCon.h"
#include "screens/NewsViewCon.h"
#include "screens/SearchViewCon.h"
#include "screens/StuCenterViewCon.h"
#include "service/RequestHelp.h"
#include "service/ServiceEndpoint.h"
#include "service/ServiceOperations.h"

#include <functional>
#include <vector>

namespace {

struct TabEntry {
    std::function<std::shared_ptr<platform::ViewController>()> makeRoot;
    const char* title;
    const char* image;
    const char* selectedImage;
    const char* unselectedImage;
    int tag;
};

// The five tabs in order; each root screen is created from the interface
// description that bears its class name.
const std::vector<TabEntry>& tabEntries() {
    static const std::vector<TabEntry> entries = {
        {[] { return std::make_shared<MainViewCon>("MainViewCon"); }, "首页", "tab1.png", "tab1_selected",
         "tab1", 1},
        {[] { return std::make_shared<CourseViewCon>("CourseViewCon"); }, "微课程", "tab2.png",
         "tab2_selected", "tab2", 2},
        {[] { return std::make_shared<NewsViewCon>("NewsViewCon"); }, "资讯", "tab3.png", "tab3_selected",
         "tab3", 3},
        {[] { return std::make_shared<SearchViewCon>("SearchViewCon"); }, "找课程", "tab4.png",
         "tab4_selected", "tab4", 4},
        {[] { return std::make_shared<StuCenterViewCon>("StuCenterViewCon"); }, "学员中心", "tab5.png",
         "tab5_selected", "tab5", 5},
    };
    return entries;
}

}  // namespace

bool AppDelegate::didFinishLaunchingWithOptions(platform::Application&) {
    _window = platform::View::create<platform::Window>(platform::Screen::bounds());

    // Both live from the first moment: the watcher starts observing reachability, and the
    // engine reads the finished list now and rebuilds the unfinished one in the background.
    NetStatusNotifier::getNetStatusInstance();
    FilesDownManage::sharedFilesDownManageWithBasepath("DownLoad", {"DownLoad/mp4"});

    SessionStore::restore();
    buildTabs();

    _window->setRootViewController(_tabCon_);
    _window->setBackgroundColor(platform::Color::white());
    _window->makeKeyAndVisible();
    return true;
}

void AppDelegate::buildTabs() {
    bool beforeSeven = platform::Application::shared().systemVersionNumber() < 7.0;
    std::vector<std::shared_ptr<platform::ViewController>> stacks;
    for (const TabEntry& tab : tabEntries()) {
        auto root = tab.makeRoot();
        auto stack = std::make_shared<AutorotateNavigationController>(root);
        stack->setNavigationBarHidden(true);
        auto item =
            std::make_shared<platform::TabBarItem>(tab.title, platform::Image::named(tab.image), tab.tag);
        if (beforeSeven) {
            item->setFinishedSelectedImage(platform::Image::named(tab.selectedImage),
                                           platform::Image::named(tab.unselectedImage));
        }
        stack->setTabBarItem(item);
        stacks.push_back(stack);
    }
    auto tabs = std::make_shared<AutorotateTabBarController>();
    _tabCon_ = tabs;
    tabs->setViewControllers(stacks);
    tabs->tabBar()->setBackgroundImage(platform::Image::named("tabBj.png"));
}

void AppDelegate::applicationDidBecomeActive(platform::Application&) {
    countUserInfo();
}

void AppDelegate::countUserInfo() {
    if (!_dataRequest) {
        _dataRequest = std::make_shared<RequestHelp>();
    }
    ServiceOperations::send(
        *_dataRequest, ServiceOperations::usageReport(),
        [](const std::string& body) {
            auto reply = platform::Json::parse(body);
            const platform::Value* result = reply ? platform::Json::find(*reply, "result") : nullptr;
            platform::logf("统计发送结果: {}", platform::Json::description(result));
        },
        [](const platform::HttpError&) { platform::log("加载出错"); });
}
