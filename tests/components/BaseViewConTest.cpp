#include "screens/BaseViewCon.h"

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Control.h"
#include "platform/ui/GestureRecognizer.h"
#include "tests/components/ComponentsFixture.h"

#include <algorithm>

using platform::ActivityIndicatorView;
using platform::Application;
using platform::Color;
using platform::Font;
using platform::ImageView;
using platform::Label;
using platform::Point;
using platform::Rect;
using platform::View;

namespace {

// A screen that counts the calls of the two hooks and shows the base's fields.
class ProbeScreen : public BaseViewCon {
public:
    ProbeScreen() : BaseViewCon("ProbeScreen") {}
    using BaseViewCon::baseNavBackButton;
    using BaseViewCon::baseNavBackImg;
    using BaseViewCon::baseNavBackLab;
    using BaseViewCon::baseNavBackView;
    using BaseViewCon::baseNavBjImg;
    using BaseViewCon::baseNavCloseImg;
    using BaseViewCon::baseNavTitleLab;
    using BaseViewCon::baseNavView;

    void refreshData(platform::GestureRecognizer* sender) override {
        ++refreshCount;
        BaseViewCon::refreshData(sender);
    }
    int refreshCount = 0;
};

// A screen whose back pops itself, as most screens do.
class PoppingScreen : public BaseViewCon {
public:
    PoppingScreen() : BaseViewCon("PoppingScreen") {}
    void back(platform::Control* sender) override { senders.push_back(sender); }
    std::vector<platform::Control*> senders;
};

std::vector<std::shared_ptr<View>> subviewsWithTag(const View& view, int tag) {
    std::vector<std::shared_ptr<View>> found;
    for (const auto& child : view.subviews()) {
        if (child->tag() == tag) {
            found.push_back(child);
        }
    }
    return found;
}

class BaseViewConTest : public qelvo::test::ComponentsFixture {
protected:
    std::shared_ptr<ProbeScreen> showScreen(int style = -1) {
        auto screen = std::make_shared<ProbeScreen>();
        if (style >= 0) {
            screen->setBackStyle(style);
        }
        window->setRootViewController(screen);
        return screen;
    }
};

TEST_F(BaseViewConTest, NewerSystemsGetA65PointBarWithItems28FromTheTop) {
    auto screen = showScreen();
    EXPECT_EQ(screen->navFrameStyle(), 1);
    ASSERT_TRUE(screen->baseNavView);
    EXPECT_EQ(screen->baseNavView->superview(), screen->view().get());
    EXPECT_EQ(screen->baseNavView->frame(), Rect::make(0, 0, 320, 65));
    EXPECT_EQ(screen->baseNavView->backgroundColor(), Color::rgb255(0, 92, 123));
    EXPECT_EQ(screen->baseNavBjImg->frame(), Rect::make(0, 0, 320, 65));
    EXPECT_EQ(screen->baseNavCloseImg->frame(), Rect::make(10, 28, 30, 30));
    EXPECT_EQ(screen->baseNavBackView->frame(), Rect::make(5, 28, 60, 30));
    EXPECT_EQ(screen->baseNavBackButton->frame(), Rect::make(2, 21, 60, 44));
    EXPECT_EQ(screen->baseNavTitleLab->frame(), Rect::make(70, 28, 180, 30));
    EXPECT_EQ(BaseViewCon::navBarHeight(), 65);

    EXPECT_EQ(screen->baseNavBackImg->frame(), Rect::make(1, 4, 13, 22));
    ASSERT_TRUE(screen->baseNavBackImg->image());
    EXPECT_EQ(screen->baseNavBackImg->image()->source(), "back.png");
    EXPECT_EQ(screen->baseNavBackLab->frame(), Rect::make(20, 4, 42, 21));
    EXPECT_EQ(screen->baseNavBackLab->text(), "返回");
    EXPECT_EQ(screen->baseNavBackLab->font(), Font::boldSystemFont(14));
    EXPECT_EQ(screen->baseNavBackLab->textColor(), Color::white());

    EXPECT_EQ(screen->baseNavTitleLab->font(), Font::systemFont(17));
    EXPECT_EQ(screen->baseNavTitleLab->textColor(), Color::white());
    EXPECT_EQ(screen->baseNavTitleLab->textAlignment(), platform::TextAlignment::Center);

    // Style 1: the arrow and "返回" show, the close slot does not.
    EXPECT_FALSE(screen->baseNavView->isHidden());
    EXPECT_FALSE(screen->baseNavBackView->isHidden());
    EXPECT_TRUE(screen->baseNavCloseImg->isHidden());
}

TEST_F(BaseViewConTest, NewerSystemsApplyTheLayoutRulesAndTheLightStatusBar) {
    auto screen = showScreen();
    EXPECT_FALSE(screen->modalPresentationCapturesStatusBarAppearance());
    EXPECT_FALSE(screen->extendedLayoutIncludesOpaqueBars());
    EXPECT_EQ(screen->edgesForExtendedLayout(), platform::ViewController::kRectEdgeNone);
    EXPECT_FALSE(screen->automaticallyAdjustsScrollViewInsets());
    EXPECT_EQ(Application::shared().statusBarStyle(), platform::StatusBarStyle::LightContent);
}

TEST_F(BaseViewConTest, OlderSystemsGetA45PointBarAndNoneOfTheNewerRules) {
    Application::shared().setSystemVersion("6.1");
    auto screen = showScreen();
    EXPECT_EQ(screen->baseNavView->frame(), Rect::make(0, 0, 320, 45));
    EXPECT_EQ(screen->baseNavBackView->frame(), Rect::make(5, 8, 60, 30));
    EXPECT_EQ(screen->baseNavTitleLab->frame(), Rect::make(70, 8, 180, 30));
    EXPECT_EQ(screen->baseNavCloseImg->frame(), Rect::make(10, 8, 30, 30));
    EXPECT_EQ(screen->baseNavBackButton->frame(), Rect::make(2, 1, 60, 44));
    EXPECT_EQ(BaseViewCon::navBarHeight(), 45);

    EXPECT_EQ(Application::shared().statusBarStyle(), platform::StatusBarStyle::Default);
    EXPECT_EQ(screen->edgesForExtendedLayout(), platform::ViewController::kRectEdgeAll);
    EXPECT_TRUE(screen->automaticallyAdjustsScrollViewInsets());

    // Below the status bar on these systems, the back button still answers at the top left.
    window->tap(Point{20, 20 + 25});
    EXPECT_EQ(countLogLines("leftItemClicked"), 1u);
}

TEST_F(BaseViewConTest, TabRootStyleShowsTheTitleWithoutArrowAndTheCornerStillSendsBack) {
    auto screen = showScreen();
    screen->setBackStyle(3);
    screen->setNavigationTitle("微课");
    EXPECT_EQ(screen->navFrameStyle(), 3);
    EXPECT_FALSE(screen->baseNavView->isHidden());
    EXPECT_TRUE(screen->baseNavBackView->isHidden());
    EXPECT_TRUE(screen->baseNavCloseImg->isHidden());
    EXPECT_EQ(screen->baseNavTitleLab->text(), "微课");
    EXPECT_EQ(screen->backControl(), screen->baseNavBackButton);

    EXPECT_TRUE(window->tap(Point{10, 40}));
    EXPECT_EQ(countLogLines("leftItemClicked"), 1u);
    window->tap(Point{200, 40});  // the title, not the corner
    EXPECT_EQ(countLogLines("leftItemClicked"), 1u);
}

TEST_F(BaseViewConTest, UnknownStylesBehaveLikeTheTabRootStyleAndStyleTwoShowsTheCloseSlot) {
    auto screen = showScreen();
    screen->setBackStyle(7);
    EXPECT_FALSE(screen->baseNavView->isHidden());
    EXPECT_TRUE(screen->baseNavBackView->isHidden());
    EXPECT_TRUE(screen->baseNavCloseImg->isHidden());

    screen->setBackStyle(2);
    EXPECT_FALSE(screen->baseNavView->isHidden());
    EXPECT_TRUE(screen->baseNavBackView->isHidden());
    EXPECT_FALSE(screen->baseNavCloseImg->isHidden());
}

TEST_F(BaseViewConTest, StyleZeroHidesTheWholeBarAndStyleOneBringsItBackWithTheArrow) {
    auto screen = showScreen();
    screen->setBackStyle(0);
    EXPECT_TRUE(screen->baseNavView->isHidden());
    EXPECT_EQ(screen->backControl(), nullptr);
    window->tap(Point{10, 40});
    EXPECT_EQ(countLogLines("leftItemClicked"), 0u);

    screen->setBackStyle(1);
    EXPECT_FALSE(screen->baseNavView->isHidden());
    EXPECT_FALSE(screen->baseNavBackView->isHidden());
    EXPECT_TRUE(screen->baseNavBackView->isVisibleInWindow());
    window->tap(Point{10, 40});
    EXPECT_EQ(countLogLines("leftItemClicked"), 1u);
}

TEST_F(BaseViewConTest, StyleAndTitleSetBeforeTheViewLoadsApplyWhenItDoes) {
    auto screen = std::make_shared<ProbeScreen>();
    screen->setBackStyle(0);
    screen->setNavigationTitle("下载");
    EXPECT_FALSE(screen->isViewLoaded());
    screen->view();
    EXPECT_TRUE(screen->baseNavView->isHidden());
    EXPECT_EQ(screen->baseNavTitleLab->text(), "下载");
}

TEST_F(BaseViewConTest, BackReachesTheScreensOverrideWithTheButtonAsSender) {
    auto screen = std::make_shared<PoppingScreen>();
    window->setRootViewController(screen);
    auto control = screen->backControl();
    ASSERT_TRUE(control);
    window->tap(Point{10, 40});
    ASSERT_EQ(screen->senders.size(), 1u);
    EXPECT_EQ(screen->senders[0], control.get());
    EXPECT_EQ(countLogLines("leftItemClicked"), 0u);
}

TEST_F(BaseViewConTest, TheBarDoesNotKeepItsScreenAlive) {
    auto screen = std::make_shared<ProbeScreen>();
    auto view = screen->view();
    std::weak_ptr<ProbeScreen> weak = screen;
    auto button = screen->baseNavBackButton;
    screen.reset();
    EXPECT_TRUE(weak.expired());
    button->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_EQ(countLogLines("leftItemClicked"), 0u);
}

TEST_F(BaseViewConTest, LoadingViewHasItsTagColoursAndASpinningIndicator) {
    auto screen = showScreen();
    auto loading = screen->setUpLoadingView(Rect::make(0, 65, 320, 454), "正在加载...");
    EXPECT_EQ(loading->superview(), nullptr);  // the caller adds it
    EXPECT_EQ(loading->tag(), 99999);
    EXPECT_EQ(loading->frame(), Rect::make(0, 65, 320, 454));
    EXPECT_EQ(loading->backgroundColor(), Color::rgb255(248, 248, 248));

    auto indicator = std::dynamic_pointer_cast<ActivityIndicatorView>(loading->viewWithTag(300));
    ASSERT_TRUE(indicator);
    EXPECT_EQ(indicator->frame(), Rect::make(120, 212, 23, 23));
    EXPECT_EQ(indicator->style(), platform::ActivityIndicatorStyle::Gray);
    EXPECT_TRUE(indicator->isAnimating());
    indicator->stopAnimating();
    EXPECT_TRUE(indicator->isHidden());

    std::shared_ptr<Label> label;
    for (const auto& child : loading->subviews()) {
        if (auto candidate = std::dynamic_pointer_cast<Label>(child)) {
            label = candidate;
        }
    }
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "正在加载...");
    EXPECT_EQ(label->frame(), Rect::make(150, 207, 160, 30));
    EXPECT_EQ(label->font(), Font::boldSystemFont(14));
    EXPECT_EQ(label->textColor(), Color::rgb255(193, 191, 184));
    EXPECT_EQ(label->textAlignment(), platform::TextAlignment::Left);
}

TEST_F(BaseViewConTest, LoadFailureViewShowsItsPictureAndTextsAndATapReloads) {
    auto screen = showScreen();
    screen->showRequestFailedView(Rect::make(0, 65, 320, 503));
    auto failed = screen->view()->viewWithTag(10000);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->superview(), screen->view().get());
    EXPECT_EQ(failed->backgroundColor(), Color::rgb255(248, 248, 248));
    EXPECT_TRUE(failed->isUserInteractionEnabled());

    ASSERT_EQ(failed->subviews().size(), 3u);
    auto image = std::dynamic_pointer_cast<ImageView>(failed->subviews()[0]);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frame(), Rect::make(100, 141.5, 120, 120));
    ASSERT_TRUE(image->image());
    EXPECT_EQ(image->image()->source(), "loadFail.png");
    auto title = std::dynamic_pointer_cast<Label>(failed->subviews()[1]);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text(), "数据加载失败");
    EXPECT_EQ(title->frame(), Rect::make(60, 261.5, 200, 30));
    EXPECT_EQ(title->font(), Font::boldSystemFont(17));
    EXPECT_EQ(title->textColor(), Color::white(0.57));
    auto hint = std::dynamic_pointer_cast<Label>(failed->subviews()[2]);
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->text(), "请检查您的网络并点击屏幕重新加载");
    EXPECT_EQ(hint->frame(), Rect::make(30, 301.5, 260, 30));
    EXPECT_EQ(hint->font(), Font::systemFont(15));
    EXPECT_EQ(hint->textColor(), Color::white(0.46));
    EXPECT_EQ(hint->textAlignment(), platform::TextAlignment::Center);

    // Anywhere on it, the picture and the texts included.
    window->tap(Point{160, 65 + 200});
    window->tap(Point{10, 500});
    EXPECT_EQ(screen->refreshCount, 2);
    EXPECT_EQ(countLogLines("重新请求数据"), 2u);
    // The bar stays in charge of its own corner.
    window->tap(Point{10, 40});
    EXPECT_EQ(screen->refreshCount, 2);
}

TEST_F(BaseViewConTest, TheLoadFailureViewDoesNotKeepItsScreenAlive) {
    auto screen = showScreen();
    auto failed = screen->setLoadingFailView(Rect::make(0, 65, 320, 503));
    auto host = View::create<platform::Window>(platform::Screen::bounds());
    host->addSubview(failed);
    std::weak_ptr<ProbeScreen> weak = screen;
    window->setRootViewController(nullptr);
    screen.reset();
    EXPECT_TRUE(weak.expired());
    host->tap(Point{160, 300});
    EXPECT_EQ(countLogLines("重新请求数据"), 0u);
}

TEST_F(BaseViewConTest, TwoFailureRequestsLeaveOneFailureViewInFront) {
    auto screen = showScreen();
    screen->showRequestFailedView(Rect::make(0, 65, 320, 503));
    auto first = screen->view()->viewWithTag(10000);
    screen->view()->addSubview(screen->setUpLoadingView(Rect::make(0, 65, 320, 503), "正在加载..."));
    EXPECT_NE(screen->view()->subviews().back(), first);

    screen->showRequestFailedView(Rect::make(0, 65, 320, 503));
    EXPECT_EQ(subviewsWithTag(*screen->view(), 10000).size(), 1u);
    EXPECT_EQ(screen->view()->subviews().back(), first);
}

TEST_F(BaseViewConTest, SuccessWithoutAListRemovesLoadingAndFailureViewsOnly) {
    auto screen = showScreen();
    auto root = screen->view();
    auto footerIndicator = View::create<ActivityIndicatorView>(platform::ActivityIndicatorStyle::Gray);
    footerIndicator->setTag(5000);
    footerIndicator->startAnimating();
    root->addSubview(footerIndicator);
    root->addSubview(screen->setUpLoadingView(Rect::make(0, 65, 320, 503), "正在加载..."));
    screen->showRequestFailedView(Rect::make(0, 65, 320, 503));
    root->addSubview(screen->setUpNullDataView(Rect::make(0, 65, 320, 503), "暂无收藏"));

    screen->requestSucLoadingTag(nullptr);
    EXPECT_TRUE(subviewsWithTag(*root, 99999).empty());
    EXPECT_TRUE(subviewsWithTag(*root, 10000).empty());
    EXPECT_EQ(subviewsWithTag(*root, 10001).size(), 1u);
    EXPECT_TRUE(footerIndicator->isAnimating());
    EXPECT_TRUE(screen->baseNavView->superview());
}

TEST_F(BaseViewConTest, FailureRemovesTheLoadingViewButKeepsTheFailureView) {
    auto screen = showScreen();
    auto root = screen->view();
    root->addSubview(screen->setUpLoadingView(Rect::make(0, 65, 320, 503), "正在加载..."));
    screen->showRequestFailedView(Rect::make(0, 65, 320, 503));
    screen->requestFailedLoadingTag(nullptr);
    EXPECT_TRUE(subviewsWithTag(*root, 99999).empty());
    EXPECT_EQ(subviewsWithTag(*root, 10000).size(), 1u);
}

TEST_F(BaseViewConTest, BothOutcomesStopTheLoadMoreIndicatorOfTheGivenList) {
    auto screen = showScreen();
    auto makeList = [] {
        auto list = View::create<View>(Rect::make(0, 65, 320, 454));
        auto footer = View::create<View>(Rect::make(0, 400, 320, 44));
        auto indicator = View::create<ActivityIndicatorView>(platform::ActivityIndicatorStyle::Gray);
        indicator->setTag(5000);
        indicator->startAnimating();
        footer->addSubview(indicator);
        list->addSubview(footer);
        return std::make_pair(list, indicator);
    };
    auto [okList, okIndicator] = makeList();
    auto [failedList, failedIndicator] = makeList();
    screen->view()->addSubview(okList);
    screen->view()->addSubview(failedList);

    screen->requestSucLoadingTag(okList.get());
    EXPECT_FALSE(okIndicator->isAnimating());
    EXPECT_TRUE(okIndicator->isHidden());
    EXPECT_TRUE(failedIndicator->isAnimating());

    screen->requestFailedLoadingTag(failedList.get());
    EXPECT_FALSE(failedIndicator->isAnimating());
}

TEST_F(BaseViewConTest, EmptyDataViewLayoutAndRemovalReenablesTheHost) {
    auto screen = showScreen();
    auto empty = screen->setUpNullDataView(Rect::make(0, 65, 320, 503), "暂无收藏");
    EXPECT_EQ(empty->tag(), 10001);
    EXPECT_EQ(empty->backgroundColor(), Color::rgb255(248, 248, 248));
    ASSERT_EQ(empty->subviews().size(), 2u);
    auto image = std::dynamic_pointer_cast<ImageView>(empty->subviews()[0]);
    ASSERT_TRUE(image && image->image());
    EXPECT_EQ(image->frame(), Rect::make(95, 70, 128, 128));
    EXPECT_EQ(image->image()->source(), "nullData.png");
    auto label = std::dynamic_pointer_cast<Label>(empty->subviews()[1]);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "暂无收藏");
    EXPECT_EQ(label->frame(), Rect::make(50, 200, 220, 30));
    EXPECT_EQ(label->font(), Font::boldSystemFont(16));
    EXPECT_EQ(label->textColor(), Color::white(0.63));
    EXPECT_EQ(label->textAlignment(), platform::TextAlignment::Center);

    auto host = View::create<View>(Rect::make(0, 65, 320, 503));
    host->setUserInteractionEnabled(false);
    host->addSubview(empty);
    screen->removeNullDataView(*host);
    EXPECT_EQ(empty->superview(), nullptr);
    EXPECT_TRUE(host->isUserInteractionEnabled());
}

TEST_F(BaseViewConTest, UnloadAndMemoryWarningsAreLogged) {
    auto screen = showScreen();
    screen->deliverMemoryWarning();
    screen->viewDidUnload();
    auto lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "base view didReceiveMemoryWarning"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "base viewDidUnload"), lines.end());
}

}  // namespace
