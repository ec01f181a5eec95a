#include "platform/foundation/Json.h"
#include "platform/image/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/Switch.h"
#include "platform/ui/Touch.h"
#include "tests/ui/UiTest.h"

#include <memory>
#include <string>
#include <vector>

using platform::Button;
using platform::Control;
using platform::Point;
using platform::Rect;
using platform::TouchPhase;
using platform::View;

namespace {

// Hears control events as a screen does: by member function, held weakly.
class Listener {
public:
    void tapped(Control& sender) { events.push_back("tapped " + std::to_string(sender.tag())); }
    void upOutside(Control&) { events.push_back("upOutside"); }
    void down(Control&) { events.push_back("down"); }
    void cancelled(Control&) { events.push_back("cancel"); }
    void changed(Control&) { events.push_back("changed"); }
    std::vector<std::string> events;
};

std::shared_ptr<platform::Image> picture(const std::string& name) {
    return std::make_shared<platform::Image>(name, platform::Size{44, 44}, 2.0);
}

class ControlsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = makeMainWindow();
        button = View::create<Button>(Rect::make(100, 100, 80, 40));
        button->setTag(7);
        button->setTitle("登录", platform::ControlStateNormal);
        window->addSubview(button);
        screen = std::make_shared<Listener>();
        button->addTarget(screen, &Listener::tapped, platform::TouchUpInside);
        button->addTarget(screen, &Listener::upOutside, platform::TouchUpOutside);
        button->addTarget(screen, &Listener::down, platform::TouchDown);
        button->addTarget(screen, &Listener::cancelled, platform::TouchCancel);
    }

    std::shared_ptr<platform::Window> window;
    std::shared_ptr<Button> button;
    std::shared_ptr<Listener> screen;
};

using Events = std::vector<std::string>;

// --- target-action -----------------------------------------------------------------

TEST_F(ControlsTest, ATapInsideSendsTouchDownThenTouchUpInsideToTheTarget) {
    EXPECT_TRUE(window->tap(Point{140, 120}));
    EXPECT_EQ(screen->events, (Events{"down", "tapped 7"}));
}

TEST_F(ControlsTest, ATapOnTheTitleLabelCountsAsATapOnTheButton) {
    Rect title = button->titleLabel()->frameInWindow();
    ASSERT_FALSE(title.isEmpty());
    EXPECT_EQ(window->viewAtPoint(title.center()), button);
    window->tap(title.center());
    EXPECT_EQ(screen->events, (Events{"down", "tapped 7"}));
}

TEST_F(ControlsTest, ATargetThatIsGoneIsSkippedAndTheOthersStillHear) {
    auto other = std::make_shared<Listener>();
    button->addTarget(other, &Listener::tapped, platform::TouchUpInside);
    std::weak_ptr<Listener> watch = screen;
    screen.reset();
    ASSERT_TRUE(watch.expired());  // the button does not keep its target alive

    window->tap(Point{140, 120});
    EXPECT_EQ(other->events, (Events{"tapped 7"}));
}

TEST_F(ControlsTest, ActionsRunInTheOrderAddedAndRemovingATargetStopsOnlyIts) {
    std::vector<std::string> order;
    button->addAction([&](Control&) { order.push_back("first"); }, platform::TouchUpInside, &order);
    button->addAction([&](Control&) { order.push_back("second"); }, platform::TouchUpInside);
    window->tap(Point{140, 120});
    EXPECT_EQ(order, (Events{"first", "second"}));
    EXPECT_EQ(button->actionCount(platform::TouchUpInside), 3u);

    button->removeTarget(&order);
    order.clear();
    window->tap(Point{140, 120});
    EXPECT_EQ(order, (Events{"second"}));
}

TEST_F(ControlsTest, AnActionMayRemoveItsOwnButtonFromTheScreen) {
    button->addAction([&](Control& sender) { sender.removeFromSuperview(); }, platform::TouchUpInside);
    std::weak_ptr<Button> watch = button;
    button.reset();
    window->tap(Point{140, 120});
    EXPECT_EQ(screen->events, (Events{"down", "tapped 7"}));
    EXPECT_TRUE(watch.expired());
}

// --- touch up inside and outside ---------------------------------------------------

TEST_F(ControlsTest, ReleasingFarAwaySendsTouchUpOutsideAndNearbyStillCountsAsInside) {
    window->sendTouch(TouchPhase::Began, Point{140, 120});
    EXPECT_TRUE(button->isHighlighted());
    window->sendTouch(TouchPhase::Moved, Point{140, 400});
    EXPECT_FALSE(button->isHighlighted());
    window->sendTouch(TouchPhase::Ended, Point{140, 400});
    EXPECT_EQ(screen->events, (Events{"down", "upOutside"}));

    screen->events.clear();
    window->sendTouch(TouchPhase::Began, Point{140, 120});
    window->sendTouch(TouchPhase::Moved, Point{200, 150});  // just beyond the edge
    window->sendTouch(TouchPhase::Ended, Point{200, 150});
    EXPECT_EQ(screen->events, (Events{"down", "tapped 7"}));
    EXPECT_FALSE(button->isHighlighted());
}

TEST_F(ControlsTest, ATouchStaysWithTheControlItBeganOnAndACancelledTouchSendsNoTap) {
    auto other = View::create<Button>(Rect::make(100, 300, 80, 40));
    bool otherTapped = false;
    other->addAction([&](Control&) { otherTapped = true; }, platform::TouchUpInside);
    window->addSubview(other);

    window->sendTouch(TouchPhase::Began, Point{140, 120});
    window->sendTouch(TouchPhase::Moved, Point{140, 320});
    window->sendTouch(TouchPhase::Ended, Point{140, 320});
    EXPECT_FALSE(otherTapped);

    screen->events.clear();
    window->sendTouch(TouchPhase::Began, Point{140, 120});
    window->sendTouch(TouchPhase::Cancelled, Point{140, 120});
    EXPECT_EQ(screen->events, (Events{"down", "cancel"}));
}

TEST_F(ControlsTest, AButtonInScrolledContentIsTappedWhereItShows) {
    auto list = View::create(Rect::make(0, 200, 320, 300));
    auto rowButton = View::create<Button>(Rect::make(0, 500, 320, 44));
    rowButton->setTag(3);
    rowButton->addTarget(screen, &Listener::tapped, platform::TouchUpInside);
    list->addSubview(rowButton);
    window->addSubview(list);
    list->setBoundsOrigin(Point{0, 400});  // the row now shows at 100..144 in the list

    EXPECT_EQ(rowButton->frameInWindow(), Rect::make(0, 300, 320, 44));
    window->tap(Point{160, 320});
    EXPECT_EQ(screen->events, (Events{"tapped 3"}));
}

// --- disabled controls -------------------------------------------------------------

TEST_F(ControlsTest, ADisabledControlSendsNothing) {
    button->setEnabled(false);
    window->tap(Point{140, 120});
    EXPECT_TRUE(screen->events.empty());
    EXPECT_FALSE(button->isHighlighted());

    button->setEnabled(true);
    window->tap(Point{140, 120});
    EXPECT_EQ(screen->events, (Events{"down", "tapped 7"}));
}

// --- per-state looks ---------------------------------------------------------------

TEST_F(ControlsTest, ButtonTitlesAndPicturesPerStateFallBackToTheNormalOnes) {
    auto normal = picture("tab1");
    auto chosen = picture("tab1_selected");
    button->setImage(normal, platform::ControlStateNormal);
    button->setImage(chosen, platform::ControlStateSelected);
    button->setTitle("退出登录", platform::ControlStateSelected);
    button->setTitle("按下", platform::ControlStateHighlighted);

    EXPECT_EQ(button->currentTitle(), "登录");
    EXPECT_EQ(button->currentImage(), normal);
    EXPECT_EQ(button->titleForState(platform::ControlStateDisabled), "登录");
    EXPECT_EQ(button->imageForState(platform::ControlStateHighlighted), normal);

    window->sendTouch(TouchPhase::Began, Point{140, 120});
    EXPECT_EQ(button->currentTitle(), "按下");
    EXPECT_EQ(button->titleLabel()->text(), "按下");
    window->sendTouch(TouchPhase::Ended, Point{140, 120});
    EXPECT_EQ(button->titleLabel()->text(), "登录");

    button->setSelected(true);
    EXPECT_EQ(button->currentTitle(), "退出登录");
    EXPECT_EQ(button->currentImage(), chosen);
    EXPECT_EQ(button->imageView()->image(), chosen);
    EXPECT_EQ(button->titleForState(platform::ControlStateSelected | platform::ControlStateHighlighted),
              "退出登录");

    button->setSelected(false);
    button->setEnabled(false);
    EXPECT_EQ(button->currentTitle(), "登录");
    EXPECT_EQ(button->currentImage(), normal);
    EXPECT_EQ(button->screenEntry()["enabled"], false);

    button->setTitle(std::nullopt, platform::ControlStateNormal);
    EXPECT_EQ(button->currentTitle(), "");
}

// --- switches ----------------------------------------------------------------------

TEST_F(ControlsTest, ATapFlipsASwitchAndSendsValueChangedButSettingItDoesNot) {
    auto toggle = View::create<platform::Switch>(Rect::make(250, 200, 10, 10));
    EXPECT_EQ(toggle->frame().size, (platform::Size{51, 31}));  // a switch keeps its own size
    toggle->addTarget(screen, &Listener::changed, platform::ValueChanged);
    window->addSubview(toggle);

    window->tap(Point{270, 210});
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(screen->events, (Events{"changed"}));
    EXPECT_EQ(toggle->screenEntry()["on"], true);

    window->tap(Point{270, 210});
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(screen->events.size(), 2u);

    toggle->setOn(true);
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(screen->events.size(), 2u);
}

TEST_F(ControlsTest, ASwitchStaysPutWhenDisabledOrWhenTheFingerLeavesIt) {
    auto toggle = View::create<platform::Switch>(Rect::make(250, 200, 51, 31));
    toggle->addTarget(screen, &Listener::changed, platform::ValueChanged);
    window->addSubview(toggle);

    toggle->setEnabled(false);
    window->tap(Point{270, 210});
    EXPECT_FALSE(toggle->isOn());

    toggle->setEnabled(true);
    window->sendTouch(TouchPhase::Began, Point{270, 210});
    window->sendTouch(TouchPhase::Moved, Point{270, 500});
    window->sendTouch(TouchPhase::Ended, Point{270, 500});
    EXPECT_FALSE(toggle->isOn());
    EXPECT_TRUE(screen->events.empty());
}

}  // namespace
