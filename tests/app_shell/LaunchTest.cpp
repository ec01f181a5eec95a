#include "platform/foundation/Json.h"
#include "tests/app_shell/ShellTestSupport.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"

namespace qelvo::test {
namespace {

using platform::InterfaceOrientation;

class LaunchTest : public ShellTest {};

TEST_F(LaunchTest, AFreshInstallShowsTheFiveTabsWithHomeSelectedAndNobodyLoggedIn) {
    launch();
    auto tabs = appDelegate->_tabCon();
    ASSERT_TRUE(tabs);
    EXPECT_EQ(appDelegate->window()->rootViewController(), tabs);
    EXPECT_EQ(appDelegate->window()->backgroundColor(), platform::Color::white());
    EXPECT_TRUE(appDelegate->window()->isKeyWindow());
    EXPECT_EQ(tabs->tabBar()->backgroundImage()->source(), "tabBj.png");

    const std::vector<std::string> titles{"首页", "微课程", "资讯", "找课程", "学员中心"};
    const std::vector<std::string> roots{"MainViewCon", "CourseViewCon", "NewsViewCon", "SearchViewCon",
                                         "StuCenterViewCon"};
    ASSERT_EQ(tabs->viewControllers().size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        auto* stack = dynamic_cast<platform::NavigationController*>(tabs->viewControllers()[i].get());
        ASSERT_NE(stack, nullptr);
        EXPECT_TRUE(stack->isNavigationBarHidden());
        EXPECT_EQ(stack->viewControllers().front()->className(), roots[i]);
        EXPECT_EQ(stack->viewControllers().front()->nibName(), roots[i]);
        auto item = stack->tabBarItem();
        EXPECT_EQ(item->title(), titles[i]);
        EXPECT_EQ(item->tag(), static_cast<int>(i) + 1);
        ASSERT_TRUE(item->image());
        EXPECT_EQ(item->image()->source(), "tab" + std::to_string(i + 1) + ".png");
        EXPECT_FALSE(item->finishedSelectedImage()) << "no finished pictures from system 7 on";
    }

    platform::Value shown = screen();
    EXPECT_EQ(shown["tab"], 0);
    EXPECT_EQ(shown["screens"], platform::Value::array({"MainViewCon"}));
    int tabEntries = 0;
    for (const auto& view : shown["views"]) {
        if (view["kind"] == "tab") {
            EXPECT_EQ(view["text"], titles[static_cast<std::size_t>(tabEntries)]);
            EXPECT_EQ(view["selected"], tabEntries == 0);
            ++tabEntries;
        }
    }
    EXPECT_EQ(tabEntries, 5);
    EXPECT_FALSE(LoginInstance::getUserInstance().hasUserId());
    EXPECT_FALSE(LoginInstance::getUserInstance().hasUserName());
}

TEST_F(LaunchTest, SystemsBeforeSevenGetTheFinishedTabPicturesAndTheOlderLayout) {
    launch("6.1");
    auto tabs = appDelegate->_tabCon();
    for (std::size_t i = 0; i < 5; ++i) {
        auto item = tabs->viewControllers()[i]->tabBarItem();
        std::string n = std::to_string(i + 1);
        ASSERT_TRUE(item->finishedSelectedImage());
        ASSERT_TRUE(item->finishedUnselectedImage());
        EXPECT_EQ(item->finishedSelectedImage()->source(), "tab" + n + "_selected");
        EXPECT_EQ(item->finishedUnselectedImage()->source(), "tab" + n);
    }
    // Screens start below the status bar there.
    EXPECT_EQ(tabs->view()->frame(), platform::Rect::make(0, 20, 320, 548));
}

TEST_F(LaunchTest, TheSessionComesBackFromThePreferenceStore) {
    auto& defaults = platform::UserDefaults::standard();
    defaults.setObject("student", "userName");
    defaults.setObject("10002", "userId");
    launch();
    EXPECT_EQ(LoginInstance::getUserInstance().userName(), "student");
    EXPECT_EQ(LoginInstance::getUserInstance().userId(), "10002");
}

TEST_F(LaunchTest, EachBecomingActiveReportsUsageAndTheReplyIsLogged) {
    launch();
    ASSERT_TRUE(pump([&] { return logged("统计发送结果: 0"); }));
    EXPECT_EQ(service.count("1"), 1u);
    EXPECT_TRUE(logged("postStr is: mode=1"));

    auto& app = platform::Application::shared();
    app.enterBackground();
    app.enterForeground();
    ASSERT_TRUE(pump([&] { return service.count("1") == 2; }));
    EXPECT_EQ(service.lastBody("1"), "mode=1");
}

TEST_F(LaunchTest, BecomingActiveWhileAReportIsInFlightSendsNoSecondOne) {
    service.hold("1");
    launch();
    ASSERT_TRUE(pump([&] { return service.count("1") == 1; }));
    auto& app = platform::Application::shared();
    app.resignActive();
    app.becomeActive();
    app.resignActive();
    app.becomeActive();
    pump([] { return false; }, 0.3);
    EXPECT_EQ(service.count("1"), 1u) << "the transport drops reports while one is in flight";

    service.release();
    ASSERT_TRUE(pump([&] { return logged("统计发送结果: 0"); }));
    app.resignActive();
    app.becomeActive();
    EXPECT_TRUE(pump([&] { return service.count("1") == 2; }));
}

TEST_F(LaunchTest, AFailedReportIsOnlyLogged) {
    ServiceEndpoint::setHost("127.0.0.1:9");  // nothing listens there
    launch();
    ASSERT_TRUE(pump([&] { return logged("加载出错"); }));
    EXPECT_TRUE(screen()["toasts"].empty());
    EXPECT_TRUE(screen()["alert"].is_null());
}

TEST_F(LaunchTest, TheTabShellStaysUprightWhileTheWindowAllowsLandscape) {
    launch();
    auto& app = platform::Application::shared();
    EXPECT_EQ(appDelegate->supportedInterfaceOrientationsForWindow(app, appDelegate->window().get()), 26u);
    EXPECT_TRUE(app.isOrientationAllowed(InterfaceOrientation::Portrait));
    EXPECT_FALSE(app.isOrientationAllowed(InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(app.isOrientationAllowed(InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(app.isOrientationAllowed(InterfaceOrientation::PortraitUpsideDown));
    EXPECT_FALSE(app.rotateTo(InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(app.statusBarOrientation(), InterfaceOrientation::Portrait);
    auto tabs = appDelegate->_tabCon();
    auto* stack = dynamic_cast<platform::NavigationController*>(tabs->viewControllers()[4].get());
    EXPECT_FALSE(stack->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(stack->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));

    // A screen shown over the shell (the video player) may turn to either landscape
    // orientation, never upside down.
    class LandscapeScreen : public platform::ViewController {
    public:
        unsigned supportedInterfaceOrientations() const override {
            return platform::OrientationMaskLandscape;
        }
    };
    tabs->presentViewController(std::make_shared<LandscapeScreen>(), false);
    EXPECT_TRUE(app.rotateTo(InterfaceOrientation::LandscapeRight));
    EXPECT_TRUE(app.isOrientationAllowed(InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(app.isOrientationAllowed(InterfaceOrientation::PortraitUpsideDown));
}

TEST_F(LaunchTest, TappingATabSwitchesScreensAndTheDeviceSeesIt) {
    launch();
    auto reply = device.tap(platform::Value{{"x", 288}, {"y", 540}});
    settle();
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(screen()["tab"], 4);
    EXPECT_EQ(screens(), std::vector<std::string>{"StuCenterViewCon"});
    EXPECT_TRUE(shows("学员中心")) << screen().dump(1);
}

}  // namespace
}  // namespace qelvo::test
