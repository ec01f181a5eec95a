#include "components/Toast.h"

#include "platform/ui/Animation.h"
#include "platform/ui/Button.h"
#include "tests/components/ComponentsFixture.h"

#include <cmath>
#include <numbers>

using platform::Application;
using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

class ToastTest : public qelvo::test::ComponentsFixture {
protected:
    using Texts = std::vector<std::string>;
};

TEST_F(ToastTest, ShowsTheTextInADarkRoundedBoxAboveTheWindowCentre) {
    auto toast = Toast::showToastWithText("登录成功");
    EXPECT_EQ(toast->toastPosition(), 1);
    EXPECT_EQ(toast->toastDuration(), 1000);
    EXPECT_EQ(toast->toastText(), "登录成功");

    auto box = toast->view();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->superview(), window.get());
    EXPECT_EQ(box->className(), "Toast");
    // Four full-width characters of 16 points, one 16-point line rounded up to 20.
    EXPECT_EQ(box->frame().size, (Size{64 + 40, 20 + 40}));
    EXPECT_EQ(box->center(), (Point{160, 284 - 40}));
    EXPECT_EQ(box->backgroundColor(), (Color{0, 0, 0, 0.7}));
    EXPECT_EQ(box->cornerRadius(), 5);
    EXPECT_EQ(box->rotation(), 0);

    auto label = box->textLabel();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->superview(), box.get());
    EXPECT_EQ(label->frame(), Rect::make(5, 5, 64 + 30, 20 + 30));
    EXPECT_EQ(label->text(), "登录成功");
    EXPECT_EQ(label->textColor(), Color::white());
    EXPECT_EQ(label->font(), platform::Font::systemFont(16));
    EXPECT_EQ(label->numberOfLines(), 0);
    EXPECT_EQ(label->textAlignment(), platform::TextAlignment::Center);
    EXPECT_EQ(label->shadowColor(), Color::darkGray());
    EXPECT_EQ(label->shadowOffset(), (Size{1, 1}));

    EXPECT_EQ(Toast::visibleToastTexts(), Texts{"登录成功"});
}

TEST_F(ToastTest, BoxSizeFollowsTheTextWithinItsLimits) {
    auto empty = Toast::showToastWithText("");
    EXPECT_EQ(empty->view()->frame().size, (Size{40, 40}));
    EXPECT_EQ(empty->view()->textLabel()->frame().size, (Size{30, 30}));

    // A line as wide as the limit: one long word of half-width characters.
    std::string longWord(1000, 'x');
    auto widest = Toast::showToastWithText(longWord);
    EXPECT_EQ(widest->view()->frame().size.width, 320);
    EXPECT_LE(widest->view()->frame().size.height, 100);

    std::string longText;
    for (int i = 0; i < 200; ++i) {
        longText += "请检查网络";
    }
    auto large = Toast::showToastWithText(longText);
    platform::Size size = large->view()->frame().size;
    EXPECT_LE(size.width, 320);
    EXPECT_GT(size.width, 280);
    EXPECT_LE(size.height, 100);
    EXPECT_GT(size.height, 90);
    // The label shows what fits and cuts the rest off.
    auto lines = large->view()->textLabel()->displayedLines();
    EXPECT_GE(lines.size(), 3u);
    EXPECT_LE(lines.size(), 4u);
    std::string shown;
    for (const auto& line : lines) {
        shown += line;
    }
    EXPECT_LT(shown.size(), longText.size());
}

TEST_F(ToastTest, OlderSystemsCentreTheBoxAndOtherPositionsKeepTo45PointsFromTheEdge) {
    Application::shared().setSystemVersion("4.3");
    auto centred = Toast::showToastWithText("好");
    EXPECT_EQ(centred->view()->center(), (Point{160, 284}));

    auto top = Toast::makeToast("好");
    top->setToastPosition(0);
    top->show();
    double height = top->view()->frame().height();
    EXPECT_EQ(top->view()->center(), (Point{160, height + 45}));

    auto bottom = Toast::makeToast("好");
    bottom->setToastPosition(2);
    bottom->show();
    EXPECT_EQ(bottom->view()->center(), (Point{160, 568 - 45 - height}));
}

TEST_F(ToastTest, ALandscapeInterfaceTurnsTheBoxAndMovesItTowardsTheStatusBar) {
    ASSERT_TRUE(Application::shared().rotateTo(platform::InterfaceOrientation::LandscapeRight));
    auto toast = Toast::showToastWithText("好");
    EXPECT_DOUBLE_EQ(toast->view()->rotation(), std::numbers::pi / 2);
    EXPECT_EQ(toast->view()->center(), (Point{160 + 40, 284}));
}

TEST_F(ToastTest, HidesAfterOneSecondAndLeavesTheWindow500SecondsLater) {
    auto toast = Toast::showToastWithText("请检查网络!");
    auto box = toast->view();
    clock->advance(0.99);
    EXPECT_EQ(box->alpha(), 1.0);
    EXPECT_EQ(Toast::visibleToastTexts(), Texts{"请检查网络!"});

    clock->advance(0.01);
    EXPECT_EQ(box->alpha(), 0.0);
    EXPECT_TRUE(Toast::visibleToastTexts().empty());
    EXPECT_EQ(box->superview(), window.get());
    // Faded, it takes no touches: a tap there reaches the window.
    EXPECT_EQ(window->viewAtPoint(box->center()), window);

    clock->advance(platform::Animation::kDefaultDuration + 499.0);
    EXPECT_EQ(box->superview(), window.get());
    clock->advance(1.0);
    EXPECT_EQ(box->superview(), nullptr);
}

TEST_F(ToastTest, TappingTheBoxHidesItEarly) {
    auto toast = Toast::showToastWithText("登录成功");
    auto box = toast->view();
    clock->advance(0.3);
    EXPECT_TRUE(window->tap(box->center()));
    EXPECT_EQ(box->alpha(), 0.0);
    EXPECT_TRUE(Toast::visibleToastTexts().empty());

    // The display timer finds it hidden already; removal counts from the tap.
    clock->advance(0.7);
    EXPECT_EQ(box->superview(), window.get());
    clock->advance(499.2);
    EXPECT_EQ(box->superview(), window.get());
    clock->advance(0.2);
    EXPECT_EQ(box->superview(), nullptr);
}

TEST_F(ToastTest, TwoToastsBothShowTheSecondOverTheFirstAndEachKeepsItsOwnTimer) {
    auto first = Toast::showToastWithText("登录成功");
    clock->advance(0.5);
    auto second = Toast::showToastWithText("已取消");
    EXPECT_EQ(Toast::visibleToastTexts(), (Texts{"登录成功", "已取消"}));
    EXPECT_EQ(window->subviews().back(), second->view());
    // Both are centred, so the front one takes the tap.
    EXPECT_EQ(window->viewAtPoint(Point{160, 244}), second->view());

    clock->advance(0.5);
    EXPECT_EQ(Toast::visibleToastTexts(), Texts{"已取消"});
    clock->advance(0.5);
    EXPECT_TRUE(Toast::visibleToastTexts().empty());
}

TEST_F(ToastTest, DurationIsInMilliseconds) {
    auto toast = Toast::makeToast("稍候");
    toast->setToastDuration(2500);
    toast->show();
    clock->advance(2.4);
    EXPECT_EQ(Toast::visibleToastTexts(), Texts{"稍候"});
    clock->advance(0.1);
    EXPECT_TRUE(Toast::visibleToastTexts().empty());
}

TEST_F(ToastTest, AShownToastLivesUntilItsBoxIsRemovedAndNoLonger) {
    std::weak_ptr<Toast> weak = Toast::showToastWithText("登录成功");
    EXPECT_FALSE(weak.expired());
    clock->advance(1.0);
    EXPECT_FALSE(weak.expired());
    clock->advance(platform::Animation::kDefaultDuration + 500.0);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(window->subviews().empty());
}

TEST_F(ToastTest, ABoxLeftBehindByAGoneToastIgnoresTaps) {
    std::weak_ptr<Toast> weak = Toast::showToastWithText("登录成功");
    auto box = weak.lock()->view();
    platform::RunLoop::main().reset();  // drops the timers that kept the toast alive
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(window->tap(box->center()));
    EXPECT_EQ(box->alpha(), 1.0);
}

TEST_F(ToastTest, ShowsNothingWithoutAWindowOrWithoutSharedOwnership) {
    platform::Window::resetAll();
    auto orphan = Toast::showToastWithText("登录成功");
    EXPECT_EQ(orphan->view(), nullptr);

    window->makeKeyAndVisible();
    Toast unowned("登录成功");
    unowned.show();
    EXPECT_EQ(unowned.view(), nullptr);
    EXPECT_TRUE(Toast::visibleToastTexts().empty());
}

TEST_F(ToastTest, DefaultsAndTextOfTheOtherCreations) {
    Toast plain;
    EXPECT_EQ(plain.toastPosition(), 1);
    EXPECT_EQ(plain.toastDuration(), 1000);
    EXPECT_EQ(plain.toastText(), "");
    plain.setToastText("好");
    EXPECT_EQ(plain.toastText(), "好");
    auto made = Toast::makeToast("请检查网络!");
    EXPECT_EQ(made->toastText(), "请检查网络!");
    EXPECT_EQ(made->view(), nullptr);  // not shown yet
}

}  // namespace
