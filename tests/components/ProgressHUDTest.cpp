#include "components/ProgressHUD.h"

#include "platform/ui/Animation.h"
#include "platform/ui/Button.h"
#include "tests/components/ComponentsFixture.h"

using platform::Color;
using platform::Font;
using platform::Point;
using platform::Rect;
using platform::View;

namespace {

class ProgressHUDTest : public qelvo::test::ComponentsFixture {
protected:
    void SetUp() override {
        ComponentsFixture::SetUp();
        host = View::create<View>(Rect::make(0, 0, 320, 568));
        window->addSubview(host);
        button = View::create<platform::Button>(Rect::make(30, 300, 260, 40));
        button->addAction([this](platform::Control&) { ++buttonTaps; }, platform::TouchUpInside);
        host->addSubview(button);
        hud = std::make_shared<ProgressHUD>(*host);
        hud->setLabelText("正在登录...");
        host->addSubview(hud);
    }

    std::shared_ptr<View> host;
    std::shared_ptr<platform::Button> button;
    std::shared_ptr<ProgressHUD> hud;
    int buttonTaps = 0;
};

TEST_F(ProgressHUDTest, CoversItsHostAndStartsHidden) {
    EXPECT_EQ(hud->className(), "ProgressHUD");
    EXPECT_EQ(hud->frame(), host->bounds());
    EXPECT_EQ(hud->alpha(), 0.0);
    EXPECT_EQ(hud->labelText(), "正在登录...");
    EXPECT_EQ(ProgressHUD::visibleLabelText(), std::nullopt);
    EXPECT_TRUE(window->tap(Point{160, 320}));
    EXPECT_EQ(buttonTaps, 1);
}

TEST_F(ProgressHUDTest, CentresABoxAroundTheSpinnerAndTheLabel) {
    // "正在登录..." in bold 16: four full-width characters and three dots, 88 points wide.
    auto box = hud->box();
    EXPECT_EQ(box->frame(), Rect::make(96, 234, 88 + 40, 37 + 4 + 20 + 40));
    EXPECT_EQ(box->backgroundColor(), (Color{0, 0, 0, 0.8}));
    EXPECT_EQ(box->cornerRadius(), 10);

    auto indicator = hud->indicator();
    EXPECT_EQ(indicator->superview(), box.get());
    EXPECT_EQ(indicator->frame(), Rect::make(46, 20, 37, 37));
    EXPECT_EQ(indicator->style(), platform::ActivityIndicatorStyle::WhiteLarge);
    EXPECT_TRUE(indicator->isAnimating());

    auto label = hud->label();
    EXPECT_EQ(label->frame(), Rect::make(20, 61, 88, 20));
    EXPECT_EQ(label->text(), "正在登录...");
    EXPECT_EQ(label->font(), Font::boldSystemFont(16));
    EXPECT_EQ(label->textColor(), Color::white());

    hud->setLabelText("");
    EXPECT_EQ(box->frame().size, (platform::Size{77, 77}));
    EXPECT_TRUE(label->isHidden());

    // A label never gets wider than the overlay less four margins.
    hud->setLabelText(std::string(100, 'x'));
    EXPECT_EQ(label->frame().width(), 320 - 80);
    EXPECT_EQ(box->frame(), Rect::make(20, 234, 280, 101));
}

TEST_F(ProgressHUDTest, ShowFadesInAndBlocksTheScreenHideFadesOutAndFreesIt) {
    int hiddenCalls = 0;
    hud->setWasHiddenHandler([&](ProgressHUD&) { ++hiddenCalls; });
    hud->show(true);
    EXPECT_EQ(hud->alpha(), 1.0);
    EXPECT_EQ(platform::Animation::runningCount(), 1);
    EXPECT_EQ(ProgressHUD::visibleLabelText(), "正在登录...");
    EXPECT_TRUE(window->tap(Point{160, 320}));  // on the button under the overlay
    window->tap(Point{160, 280});               // on the box
    EXPECT_EQ(buttonTaps, 0);
    clock->advance(0.3);
    EXPECT_EQ(platform::Animation::runningCount(), 0);

    hud->hide(true);
    EXPECT_EQ(ProgressHUD::visibleLabelText(), std::nullopt);
    clock->advance(0.29);
    EXPECT_FALSE(hud->isFinished());
    EXPECT_EQ(hiddenCalls, 0);
    clock->advance(0.01);
    EXPECT_TRUE(hud->isFinished());
    EXPECT_EQ(hiddenCalls, 1);
    EXPECT_EQ(hud->alpha(), 0.0);
    EXPECT_EQ(hud->superview(), host.get());

    window->tap(Point{160, 320});
    EXPECT_EQ(buttonTaps, 1);
}

TEST_F(ProgressHUDTest, ShowingAgainDuringTheHideFadeKeepsItShown) {
    hud->show(true);
    hud->hide(true);
    clock->advance(0.1);
    hud->show(true);
    clock->advance(0.5);
    EXPECT_EQ(hud->alpha(), 1.0);
    EXPECT_FALSE(hud->isFinished());
    EXPECT_EQ(ProgressHUD::visibleLabelText(), "正在登录...");
}

TEST_F(ProgressHUDTest, RepeatedShowsAndHidesOnlyRepeatTheFade) {
    int hiddenCalls = 0;
    hud->setWasHiddenHandler([&](ProgressHUD&) { ++hiddenCalls; });
    hud->show(true);
    hud->show(true);
    EXPECT_EQ(hud->alpha(), 1.0);
    EXPECT_EQ(hud->subviews().size(), 1u);
    clock->advance(0.3);

    hud->hide(true);
    clock->advance(0.3);
    hud->hide(true);
    EXPECT_EQ(hud->alpha(), 0.0);
    clock->advance(0.3);
    EXPECT_EQ(hiddenCalls, 2);
    EXPECT_EQ(hud->superview(), host.get());

    hud->show(false);
    EXPECT_EQ(hud->alpha(), 1.0);
    hud->hide(false);
    EXPECT_EQ(hud->alpha(), 0.0);
    EXPECT_EQ(hiddenCalls, 3);
}

TEST_F(ProgressHUDTest, FindsTheFrontMostVisibleOverlay) {
    auto other = std::make_shared<ProgressHUD>(*window);
    other->setLabelText("正在加载...");
    window->addSubview(other);
    EXPECT_EQ(ProgressHUD::frontMostVisible(*window), nullptr);

    hud->show(false);
    EXPECT_EQ(ProgressHUD::frontMostVisible(*window), hud);
    other->show(false);
    EXPECT_EQ(ProgressHUD::frontMostVisible(*window), other);
    EXPECT_EQ(ProgressHUD::visibleLabelText(), "正在加载...");
    EXPECT_EQ(ProgressHUD::frontMostVisible(*hud), hud);

    // An overlay in a hidden host is not on screen.
    other->hide(false);
    host->setHidden(true);
    EXPECT_EQ(ProgressHUD::visibleLabelText(), std::nullopt);
}

TEST_F(ProgressHUDTest, FollowsItsHostsSizeAtTheNextLayout) {
    host->setFrame(Rect::make(0, 0, 320, 400));
    window->layoutIfNeeded();
    EXPECT_EQ(hud->frame(), Rect::make(0, 0, 320, 400));
    EXPECT_EQ(hud->box()->frame().minY(), 150);
}

}  // namespace
