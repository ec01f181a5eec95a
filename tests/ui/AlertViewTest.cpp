#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "tests/ui/UiTest.h"

#include <memory>
#include <string>
#include <vector>

using platform::AlertView;
using platform::Point;
using platform::Rect;
using platform::View;

namespace {

// Answers questions as a screen does, telling them apart by tag.
class Answers : public platform::AlertViewDelegate {
public:
    void clickedButtonAtIndex(AlertView& alert, int index) override {
        events.push_back("clicked " + std::to_string(alert.tag()) + " " + std::to_string(index) +
                         (alert.isVisible() ? " shown" : " gone"));
    }
    void willDismissWithButtonIndex(AlertView&, int index) override {
        events.push_back("willDismiss " + std::to_string(index));
    }
    void didDismissWithButtonIndex(AlertView& alert, int index) override {
        events.push_back("didDismiss " + std::to_string(index) + (alert.isVisible() ? " shown" : " gone"));
    }
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

class AlertViewTest : public UiTest {
protected:
    std::shared_ptr<AlertView> logoutQuestion() {
        auto alert = AlertView::create("温馨提示", "您确定要退出登录吗?", answers, "取消", {"确认"});
        alert->setTag(8000);
        return alert;
    }
    std::shared_ptr<Answers> answers = std::make_shared<Answers>();
};

TEST_F(AlertViewTest, AShownAlertIsOnScreenAndKeepsItselfAlive) {
    auto alert = logoutQuestion();
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
    alert->show();
    std::weak_ptr<AlertView> watch = alert;
    alert.reset();
    ASSERT_FALSE(watch.expired());
    auto shown = AlertView::visibleAlerts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(AlertView::frontAlert(), shown[0]);
    EXPECT_EQ(shown[0]->title(), "温馨提示");
    EXPECT_EQ(shown[0]->message(), "您确定要退出登录吗?");
    EXPECT_EQ(shown[0]->buttonTitles(), (std::vector<std::string>{"取消", "确认"}));
    EXPECT_EQ(shown[0]->cancelButtonIndex(), 0);

    shown[0]->show();  // showing twice puts it up once
    EXPECT_EQ(AlertView::visibleAlerts().size(), 1u);
}

TEST_F(AlertViewTest, AClickTellsTheDelegateWithTheTagThenDismissesTheAlert) {
    auto alert = logoutQuestion();
    alert->show();
    EXPECT_TRUE(alert->clickButtonAtIndex(1));
    EXPECT_EQ(answers->events, (Events{"clicked 8000 1 shown", "willDismiss 1", "didDismiss 1 gone"}));
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(alert->tag(), 8000);

    EXPECT_FALSE(alert->clickButtonAtIndex(1));  // answered already
    EXPECT_EQ(answers->events.size(), 3u);
}

TEST_F(AlertViewTest, TheCancelButtonIsIndexZeroAndAnAlertWithoutOneHasNone) {
    auto alert = logoutQuestion();
    alert->show();
    alert->clickButtonAtIndex(alert->cancelButtonIndex());
    EXPECT_EQ(answers->events.front(), "clicked 8000 0 shown");

    auto plain = AlertView::create("提示", "", answers, std::nullopt, {"好"});
    EXPECT_EQ(plain->cancelButtonIndex(), -1);
    EXPECT_EQ(plain->buttonTitleAtIndex(0), "好");
    EXPECT_EQ(plain->addButtonWithTitle("再试"), 1);
    EXPECT_EQ(plain->numberOfButtons(), 2);
    EXPECT_EQ(plain->buttonTitleAtIndex(5), "");
}

TEST_F(AlertViewTest, ADelegateThatIsGoneIsSkipped) {
    auto alert = logoutQuestion();
    alert->show();
    answers.reset();
    EXPECT_TRUE(alert->clickButtonAtIndex(1));
    EXPECT_FALSE(alert->isVisible());
}

TEST_F(AlertViewTest, WhileAnAlertShowsTheWindowTakesNoTouches) {
    auto window = makeMainWindow();
    auto row = View::create<platform::Button>(Rect::make(0, 200, 320, 44));
    int taps = 0;
    row->addAction([&](platform::Control&) { ++taps; }, platform::TouchUpInside);
    window->addSubview(row);

    auto alert = logoutQuestion();
    alert->show();
    EXPECT_FALSE(window->tap(Point{160, 220}));
    EXPECT_EQ(taps, 0);

    alert->clickButtonAtIndex(0);
    EXPECT_TRUE(window->tap(Point{160, 220}));
    EXPECT_EQ(taps, 1);
}

}  // namespace
