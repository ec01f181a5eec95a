#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/InterfaceOrientation.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/ViewController.h"
#include "tests/ui/UiTest.h"

#include <memory>
#include <string>
#include <vector>

using platform::Application;
using platform::ApplicationState;
using platform::InterfaceOrientation;

namespace {

using Events = std::vector<std::string>;

// The app's delegate as the shell sets it up: records each event and permits
// portrait and both landscapes for the window (mask 26).
class ShellDelegate : public platform::ApplicationDelegate {
public:
    bool didFinishLaunchingWithOptions(Application&) override {
        events.push_back("didFinishLaunching");
        return true;
    }
    void applicationDidBecomeActive(Application& app) override {
        events.push_back(app.state() == ApplicationState::Active ? "didBecomeActive" : "didBecomeActive?");
    }
    void applicationWillResignActive(Application&) override { events.push_back("willResignActive"); }
    void applicationDidEnterBackground(Application&) override { events.push_back("didEnterBackground"); }
    void applicationWillEnterForeground(Application&) override { events.push_back("willEnterForeground"); }
    void applicationWillTerminate(Application&) override { events.push_back("willTerminate"); }
    unsigned supportedInterfaceOrientationsForWindow(Application&, platform::Window*) override { return 26; }
    Events events;
};

// The tab shell's orientation rule: portrait only.
class PortraitTabs : public platform::TabBarController {
public:
    unsigned supportedInterfaceOrientations() const override { return platform::OrientationMaskPortrait; }
    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const override {
        return orientation == InterfaceOrientation::Portrait;
    }
};

// The full-screen player: either landscape.
class Player : public platform::ViewController {
public:
    unsigned supportedInterfaceOrientations() const override { return platform::OrientationMaskLandscape; }
};

class ApplicationTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        delegate = std::make_shared<ShellDelegate>();
        app().setDelegate(delegate);
    }
    static Application& app() { return Application::shared(); }

    std::shared_ptr<ShellDelegate> delegate;
};

// --- life events -------------------------------------------------------------------

TEST_F(ApplicationTest, LaunchFinishesLaunchingThenBecomesActive) {
    EXPECT_EQ(app().state(), ApplicationState::NotRunning);
    app().launch();
    EXPECT_EQ(delegate->events, (Events{"didFinishLaunching", "didBecomeActive"}));
    EXPECT_EQ(app().state(), ApplicationState::Active);
}

TEST_F(ApplicationTest, GoingToTheBackgroundPassesThroughResigningActive) {
    app().launch();
    delegate->events.clear();
    app().enterBackground();
    EXPECT_EQ(delegate->events, (Events{"willResignActive", "didEnterBackground"}));
    EXPECT_EQ(app().state(), ApplicationState::Background);

    app().enterBackground();  // already there
    EXPECT_EQ(delegate->events.size(), 2u);
}

TEST_F(ApplicationTest, ComingBackToTheForegroundEndsWithBecomingActive) {
    app().launch();
    app().enterBackground();
    delegate->events.clear();
    app().enterForeground();
    EXPECT_EQ(delegate->events, (Events{"willEnterForeground", "didBecomeActive"}));
    EXPECT_EQ(app().state(), ApplicationState::Active);

    app().enterForeground();  // not in the background: nothing
    EXPECT_EQ(delegate->events.size(), 2u);
}

TEST_F(ApplicationTest, BecomingActiveTwiceSendsOneEventAndAnInterruptionSendsAnother) {
    app().launch();
    app().becomeActive();
    EXPECT_EQ(delegate->events, (Events{"didFinishLaunching", "didBecomeActive"}));

    app().resignActive();  // a call comes in, then ends
    app().becomeActive();
    EXPECT_EQ(delegate->events,
              (Events{"didFinishLaunching", "didBecomeActive", "willResignActive", "didBecomeActive"}));
}

TEST_F(ApplicationTest, TerminationTellsTheDelegateThenRunsTheHookOnce) {
    Events order;
    app().setTerminationHook([&] { order.push_back("hook"); });
    app().launch();
    app().terminate();
    EXPECT_EQ(delegate->events.back(), "willTerminate");
    EXPECT_EQ(order, (Events{"hook"}));
    EXPECT_EQ(app().state(), ApplicationState::NotRunning);

    app().terminate();
    EXPECT_EQ(order.size(), 1u);
}

// --- orientation -------------------------------------------------------------------

TEST_F(ApplicationTest, TheTabShellStaysInPortrait) {
    auto window = makeMainWindow();
    auto tabs = std::make_shared<PortraitTabs>();
    tabs->setViewControllers(
        {std::make_shared<platform::NavigationController>(std::make_shared<platform::ViewController>())});
    window->setRootViewController(tabs);
    app().launch();

    EXPECT_TRUE(app().isOrientationAllowed(InterfaceOrientation::Portrait));
    EXPECT_FALSE(app().isOrientationAllowed(InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(app().isOrientationAllowed(InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(app().isOrientationAllowed(InterfaceOrientation::PortraitUpsideDown));
    EXPECT_FALSE(app().rotateTo(InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(app().statusBarOrientation(), InterfaceOrientation::Portrait);
}

TEST_F(ApplicationTest, APresentedPlayerTurnsToEitherLandscapeButNeverUpsideDown) {
    auto window = makeMainWindow();
    auto tabs = std::make_shared<PortraitTabs>();
    window->setRootViewController(tabs);
    auto player = std::make_shared<Player>();
    tabs->presentViewController(player, false);

    EXPECT_TRUE(app().isOrientationAllowed(InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(app().isOrientationAllowed(InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(app().isOrientationAllowed(InterfaceOrientation::Portrait));
    EXPECT_FALSE(app().isOrientationAllowed(InterfaceOrientation::PortraitUpsideDown));
    EXPECT_TRUE(app().rotateTo(InterfaceOrientation::LandscapeRight));
    EXPECT_EQ(app().statusBarOrientation(), InterfaceOrientation::LandscapeRight);
}

TEST_F(ApplicationTest, TheWindowMaskLimitsEvenAScreenThatAllowsEverything) {
    class Anything : public platform::ViewController {
    public:
        unsigned supportedInterfaceOrientations() const override { return platform::OrientationMaskAll; }
    };
    auto window = makeMainWindow();
    window->setRootViewController(std::make_shared<Anything>());
    EXPECT_TRUE(app().isOrientationAllowed(InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(app().isOrientationAllowed(InterfaceOrientation::PortraitUpsideDown));
    EXPECT_EQ(platform::maskOf(InterfaceOrientation::LandscapeLeft) |
                  platform::maskOf(InterfaceOrientation::LandscapeRight) |
                  platform::maskOf(InterfaceOrientation::Portrait),
              26u);
}

}  // namespace
