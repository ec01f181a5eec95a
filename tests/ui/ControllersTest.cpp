#include "platform/foundation/Json.h"
#include "platform/image/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TabBarItem.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "tests/ui/UiTest.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using platform::NavigationController;
using platform::Point;
using platform::Rect;
using platform::TabBarController;
using platform::ViewController;

namespace {

using Events = std::vector<std::string>;

// A screen that writes every lifecycle call it hears into a shared log.
class RecordingScreen : public ViewController {
public:
    RecordingScreen(std::string name, std::shared_ptr<Events> log)
        : ViewController(name), name_(std::move(name)), log_(std::move(log)) {}
    std::string className() const override { return name_; }

    void loadView() override {
        record("loadView");
        ViewController::loadView();
    }
    void viewDidLoad() override { record("viewDidLoad"); }
    void viewWillAppear(bool animated) override { record(animated ? "willAppear*" : "willAppear"); }
    void viewDidAppear(bool animated) override { record(animated ? "didAppear*" : "didAppear"); }
    void viewWillDisappear(bool animated) override { record(animated ? "willDisappear*" : "willDisappear"); }
    void viewDidDisappear(bool animated) override { record(animated ? "didDisappear*" : "didDisappear"); }
    void didReceiveMemoryWarning() override { record("memoryWarning"); }

private:
    void record(const std::string& what) { log_->push_back(name_ + "." + what); }
    std::string name_;
    std::shared_ptr<Events> log_;
};

constexpr double kTransition = ViewController::kTransitionDuration;

class ControllersTest : public UiTest {
protected:
    std::shared_ptr<RecordingScreen> screen(const std::string& name) {
        return std::make_shared<RecordingScreen>(name, log);
    }

    // The five-tab shell as the app builds it: each root in a stack with a hidden bar.
    void buildShell() {
        const std::vector<std::string> names{"Home", "Courses", "News", "Search", "Centre"};
        std::vector<std::shared_ptr<ViewController>> stacks;
        for (std::size_t i = 0; i < names.size(); ++i) {
            auto root = screen(names[i]);
            roots.push_back(root);
            auto nav = std::make_shared<NavigationController>(root);
            nav->setNavigationBarHidden(true);
            nav->setTabBarItem(
                std::make_shared<platform::TabBarItem>(names[i], nullptr, static_cast<int>(i) + 1));
            navs.push_back(nav);
            stacks.push_back(nav);
        }
        tabs = std::make_shared<TabBarController>();
        tabs->setViewControllers(stacks);
        window = platform::View::create<platform::Window>(platform::Screen::bounds());
        window->setRootViewController(tabs);
        window->makeKeyAndVisible();
        runPending();
        log->clear();
    }

    // The centre of the tab item at `index` in window coordinates.
    Point tabItemCentre(int index) const {
        return tabs->tabBar()->buttons()[static_cast<std::size_t>(index)]->frameInWindow().center();
    }

    std::shared_ptr<Events> log = std::make_shared<Events>();
    std::vector<std::shared_ptr<RecordingScreen>> roots;
    std::vector<std::shared_ptr<NavigationController>> navs;
    std::shared_ptr<TabBarController> tabs;
    std::shared_ptr<platform::Window> window;
};

// --- loading -----------------------------------------------------------------------

TEST_F(ControllersTest, AScreensViewLoadsOnFirstUseAndOnlyOnce) {
    auto login = screen("Login");
    EXPECT_FALSE(login->isViewLoaded());
    auto first = login->view();
    auto second = login->view();
    EXPECT_TRUE(login->isViewLoaded());
    EXPECT_EQ(first, second);
    EXPECT_EQ(*log, (Events{"Login.loadView", "Login.viewDidLoad"}));
    EXPECT_EQ(first->frame(), platform::Screen::bounds());
}

TEST_F(ControllersTest, TheRootScreenAppearsWhenTheWindowShows) {
    auto home = screen("Home");
    auto nav = std::make_shared<NavigationController>(home);
    auto mainWindow = platform::View::create<platform::Window>(platform::Screen::bounds());
    mainWindow->setRootViewController(nav);
    EXPECT_EQ(*log, (Events{"Home.loadView", "Home.viewDidLoad"}));
    mainWindow->makeKeyAndVisible();
    EXPECT_EQ(*log, (Events{"Home.loadView", "Home.viewDidLoad", "Home.willAppear", "Home.didAppear"}));
    EXPECT_TRUE(home->isAppeared());
    EXPECT_EQ(home->navigationController(), nav.get());
}

// --- navigation stacks -------------------------------------------------------------

TEST_F(ControllersTest, PushAndPopWithoutAnimationRunAllCallbacksAtOnce) {
    buildShell();
    auto detail = screen("Detail");
    navs[0]->pushViewController(detail, false);
    EXPECT_EQ(*log, (Events{"Detail.loadView", "Detail.viewDidLoad", "Home.willDisappear",
                            "Detail.willAppear", "Home.didDisappear", "Detail.didAppear"}));
    EXPECT_EQ(navs[0]->topViewController(), detail);
    EXPECT_EQ(detail->navigationController(), navs[0].get());
    EXPECT_EQ(detail->tabBarController(), tabs.get());

    log->clear();
    EXPECT_EQ(navs[0]->popViewControllerAnimated(false), detail);
    EXPECT_EQ(*log,
              (Events{"Detail.willDisappear", "Home.willAppear", "Detail.didDisappear", "Home.didAppear"}));
    EXPECT_EQ(navs[0]->viewControllers().size(), 1u);
    EXPECT_FALSE(detail->view()->window());
}

TEST_F(ControllersTest, AnAnimatedPushTellsWillAtOnceAndDidWhenTheTransitionEnds) {
    buildShell();
    auto detail = screen("Detail");
    navs[0]->pushViewController(detail, true);
    EXPECT_EQ(*log,
              (Events{"Detail.loadView", "Detail.viewDidLoad", "Home.willDisappear*", "Detail.willAppear*"}));
    EXPECT_TRUE(detail->view()->window());

    log->clear();
    clock->advance(kTransition - 0.001);
    EXPECT_TRUE(log->empty());
    EXPECT_TRUE(roots[0]->view()->window());  // the screen below stays until the end
    clock->advance(0.001);
    EXPECT_EQ(*log, (Events{"Home.didDisappear*", "Detail.didAppear*"}));
    EXPECT_FALSE(roots[0]->view()->window());
}

TEST_F(ControllersTest, AnAnimatedPopTellsWillAtOnceAndReleasesThePoppedScreenAfterwards) {
    buildShell();
    auto detail = screen("Detail");
    navs[0]->pushViewController(detail, false);
    std::weak_ptr<ViewController> watch = detail;
    detail.reset();
    log->clear();

    navs[0]->popViewControllerAnimated(true);
    EXPECT_EQ(*log, (Events{"Detail.willDisappear*", "Home.willAppear*"}));
    clock->advance(kTransition - 0.001);
    EXPECT_EQ(log->size(), 2u);
    EXPECT_FALSE(watch.expired());
    clock->advance(0.001);
    EXPECT_EQ(*log, (Events{"Detail.willDisappear*", "Home.willAppear*", "Detail.didDisappear*",
                            "Home.didAppear*"}));
    EXPECT_TRUE(watch.expired());
}

TEST_F(ControllersTest, ANewPushFinishesTheRunningTransitionFirst) {
    buildShell();
    auto list = screen("List");
    auto detail = screen("Detail");
    navs[0]->pushViewController(list, true);
    log->clear();
    navs[0]->pushViewController(detail, true);
    EXPECT_EQ(*log, (Events{"Home.didDisappear*", "List.didAppear*", "Detail.loadView", "Detail.viewDidLoad",
                            "List.willDisappear*", "Detail.willAppear*"}));
    log->clear();
    clock->advance(kTransition);
    EXPECT_EQ(*log, (Events{"List.didDisappear*", "Detail.didAppear*"}));
    EXPECT_EQ(navs[0]->viewControllers().size(), 3u);
}

TEST_F(ControllersTest, AScreenIsPushedOnlyOnceAndTheRootIsNeverPopped) {
    buildShell();
    auto detail = screen("Detail");
    navs[0]->pushViewController(detail, false);
    navs[0]->pushViewController(detail, false);
    navs[1]->pushViewController(detail, false);
    EXPECT_EQ(navs[0]->viewControllers().size(), 2u);
    EXPECT_EQ(navs[1]->viewControllers().size(), 1u);
    navs[0]->popViewControllerAnimated(false);
    EXPECT_EQ(navs[0]->popViewControllerAnimated(false), nullptr);
    EXPECT_EQ(navs[0]->viewControllers().size(), 1u);
}

TEST_F(ControllersTest, AScreenThatHidesTheBottomBarHidesTheTabBarUntilItIsPopped) {
    buildShell();
    tabs->setSelectedIndex(4);
    auto login = screen("Login");
    login->setHidesBottomBarWhenPushed(true);
    navs[4]->pushViewController(login, true);
    EXPECT_TRUE(tabs->isTabBarHidden());
    EXPECT_TRUE(tabs->tabBar()->isHidden());
    clock->advance(kTransition);
    EXPECT_EQ(login->view()->frameInWindow(), Rect::make(0, 0, 320, 568));
    EXPECT_EQ(window->viewAtPoint(Point{160, 540}), login->view());  // no hidden tab bar in the way

    auto deeper = screen("Deeper");  // a screen above it keeps the bar hidden
    navs[4]->pushViewController(deeper, false);
    EXPECT_TRUE(tabs->isTabBarHidden());
    navs[4]->popViewControllerAnimated(false);
    EXPECT_TRUE(tabs->isTabBarHidden());

    navs[4]->popViewControllerAnimated(true);
    clock->advance(kTransition);
    EXPECT_FALSE(tabs->isTabBarHidden());
    EXPECT_FALSE(tabs->tabBar()->isHidden());
    EXPECT_EQ(roots[4]->view()->frameInWindow(), Rect::make(0, 0, 320, 519));
}

// --- the tab shell -----------------------------------------------------------------

TEST_F(ControllersTest, SwitchingTabsTellsTheOldScreenItDisappearsAndTheNewOneItAppears) {
    buildShell();
    tabs->setSelectedIndex(2);
    EXPECT_EQ(*log, (Events{"Home.willDisappear", "News.loadView", "News.viewDidLoad", "News.willAppear",
                            "Home.didDisappear", "News.didAppear"}));
    EXPECT_EQ(tabs->selectedIndex(), 2);
    EXPECT_EQ(tabs->selectedViewController(), navs[2]);
    EXPECT_FALSE(roots[0]->view()->window());
    EXPECT_TRUE(roots[2]->view()->window());

    log->clear();
    tabs->setSelectedIndex(2);  // already selected
    tabs->setSelectedIndex(9);  // no such tab
    EXPECT_TRUE(log->empty());
}

TEST_F(ControllersTest, TappingATabItemSelectsItsTab) {
    buildShell();
    window->tap(tabItemCentre(3));
    EXPECT_EQ(tabs->selectedIndex(), 3);
    EXPECT_EQ(*log, (Events{"Home.willDisappear", "Search.loadView", "Search.viewDidLoad",
                            "Search.willAppear", "Home.didDisappear", "Search.didAppear"}));
    const auto& buttons = tabs->tabBar()->buttons();
    ASSERT_EQ(buttons.size(), 5u);
    EXPECT_TRUE(buttons[3]->isSelected());
    EXPECT_FALSE(buttons[0]->isSelected());
    EXPECT_EQ(buttons[3]->screenEntry()["text"], "Search");
    EXPECT_EQ(buttons[3]->screenEntry()["tag"], 4);
}

TEST_F(ControllersTest, TappingTheSelectedTabTakesItsStackBackToTheRoot) {
    buildShell();
    auto list = screen("List");
    auto detail = screen("Detail");
    navs[0]->pushViewController(list, false);
    navs[0]->pushViewController(detail, false);
    std::weak_ptr<ViewController> watchList = list;
    std::weak_ptr<ViewController> watchDetail = detail;
    list.reset();
    detail.reset();
    log->clear();

    window->tap(tabItemCentre(0));
    EXPECT_EQ(tabs->selectedIndex(), 0);
    EXPECT_EQ(*log, (Events{"Detail.willDisappear*", "Home.willAppear*"}));
    clock->advance(kTransition);
    EXPECT_EQ(navs[0]->viewControllers().size(), 1u);
    EXPECT_TRUE(roots[0]->isAppeared());
    EXPECT_TRUE(watchList.expired());
    EXPECT_TRUE(watchDetail.expired());
}

TEST_F(ControllersTest, TabItemsShowTheirFinishedPicturesWhenTheyHaveThem) {
    buildShell();
    auto plain = std::make_shared<platform::Image>("tab2.png", platform::Size{60, 60}, 2.0);
    auto selected = std::make_shared<platform::Image>("tab2_selected", platform::Size{60, 60}, 2.0);
    auto unselected = std::make_shared<platform::Image>("tab2", platform::Size{60, 60}, 2.0);
    auto item = navs[1]->tabBarItem();
    item->setImage(plain);
    auto button = tabs->tabBar()->buttons()[1];
    ASSERT_EQ(button->item(), item);
    button->refresh();
    EXPECT_EQ(button->displayedImage(), plain);

    item->setFinishedSelectedImage(selected, unselected);
    button->refresh();
    EXPECT_EQ(button->displayedImage(), unselected);
    window->tap(tabItemCentre(1));
    EXPECT_EQ(tabs->tabBar()->buttons()[1]->displayedImage(), selected);
}

TEST_F(ControllersTest, SwitchingTabsAwayFromAFocusedFieldClosesTheKeyboard) {
    buildShell();
    tabs->setSelectedIndex(3);
    auto field = platform::View::create<platform::TextField>(Rect::make(10, 80, 300, 30));
    roots[3]->view()->addSubview(field);
    window->tap(Point{100, 95});
    ASSERT_TRUE(field->isFirstResponder());

    window->tap(tabItemCentre(0));
    ASSERT_EQ(tabs->selectedIndex(), 0);
    EXPECT_EQ(window->firstResponder().get(), nullptr);
    EXPECT_FALSE(field->isEditing());
}

// --- modal screens -----------------------------------------------------------------

TEST_F(ControllersTest, APresentedScreenCoversTheShellUntilDismissed) {
    buildShell();
    auto player = screen("Player");
    bool presented = false;
    roots[0]->presentViewController(player, true, [&] { presented = true; });
    EXPECT_EQ(*log,
              (Events{"Player.loadView", "Player.viewDidLoad", "Home.willDisappear*", "Player.willAppear*"}));
    EXPECT_EQ(roots[0]->presentedViewController(), player);
    EXPECT_EQ(player->presentingViewController(), roots[0].get());
    EXPECT_EQ(window->subviews().back(), player->view());
    EXPECT_EQ(window->viewAtPoint(Point{160, 540}), player->view());  // the tab bar is covered
    clock->advance(kTransition - 0.001);
    EXPECT_FALSE(presented);
    clock->advance(0.001);
    EXPECT_TRUE(presented);
    EXPECT_TRUE(player->isAppeared());
    EXPECT_FALSE(roots[0]->isOnScreen());

    log->clear();
    std::weak_ptr<ViewController> watch = player;
    player->dismissViewControllerAnimated(false);
    player.reset();
    EXPECT_EQ(*log,
              (Events{"Player.willDisappear", "Home.willAppear", "Player.didDisappear", "Home.didAppear"}));
    EXPECT_EQ(roots[0]->presentedViewController(), nullptr);
    EXPECT_TRUE(window->presentedControllers().empty());
    EXPECT_TRUE(watch.expired());
}

// --- memory warnings ---------------------------------------------------------------

TEST_F(ControllersTest, AMemoryWarningReachesEveryScreen) {
    buildShell();
    auto detail = screen("Detail");
    navs[3]->pushViewController(detail, false);
    auto player = screen("Player");
    detail->presentViewController(player, false);
    log->clear();

    platform::Application::shared().receiveMemoryWarning();
    Events warned = *log;
    std::sort(warned.begin(), warned.end());
    EXPECT_EQ(warned, (Events{"Centre.memoryWarning", "Courses.memoryWarning", "Detail.memoryWarning",
                              "Home.memoryWarning", "News.memoryWarning", "Player.memoryWarning",
                              "Search.memoryWarning"}));
}

// --- frames by system version ------------------------------------------------------

TEST_F(ControllersTest, OnSystem7ScreensFillTheScreenAboveTheTabBar) {
    platform::Application::shared().setSystemVersion("7.1");
    buildShell();
    EXPECT_EQ(tabs->view()->frame(), Rect::make(0, 0, 320, 568));
    EXPECT_EQ(roots[0]->view()->frameInWindow(), Rect::make(0, 0, 320, 519));
    EXPECT_EQ(tabs->tabBar()->frameInWindow(), Rect::make(0, 519, 320, 49));
    tabs->setSelectedIndex(4);
    EXPECT_EQ(roots[4]->view()->frameInWindow(), Rect::make(0, 0, 320, 519));
}

TEST_F(ControllersTest, OnSystem6ScreensStartBelowTheStatusBar) {
    platform::Application::shared().setSystemVersion("6.1");
    buildShell();
    EXPECT_EQ(tabs->view()->frame(), Rect::make(0, 20, 320, 548));
    EXPECT_EQ(roots[0]->view()->frameInWindow(), Rect::make(0, 20, 320, 499));
    EXPECT_EQ(tabs->tabBar()->frameInWindow(), Rect::make(0, 519, 320, 49));
    auto login = screen("Login");
    login->setHidesBottomBarWhenPushed(true);
    navs[0]->pushViewController(login, false);
    EXPECT_EQ(login->view()->frameInWindow(), Rect::make(0, 20, 320, 548));
}

}  // namespace
