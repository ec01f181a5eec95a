#include "WidgetsFixture.h"
#include "components/SlideSwitchView.h"
#include "platform/ui/Font.h"

#include <gtest/gtest.h>

namespace qelvo::test {
namespace {

using platform::Point;
using platform::Rect;

// An owner with the required operations only.
class Tabs : public SlideSwitchViewDelegate {
public:
    explicit Tabs(std::vector<std::string> names) : titles(std::move(names)) {}
    std::size_t numberOfTab(SlideSwitchView&) override { return titles.size(); }
    std::string titleOfIndex(std::size_t index) override {
        return index < titles.size() ? titles[index] : "";
    }
    std::shared_ptr<platform::ViewController> viewOfTab(SlideSwitchView&, std::size_t index) override {
        return std::make_shared<platform::ViewController>("page" + std::to_string(index));
    }
    std::vector<std::string> titles;
};

// An owner that also hears the selection and the pans at the edges.
class ListeningTabs : public Tabs {
public:
    using Tabs::Tabs;
    void didselectTab(SlideSwitchView&, std::size_t index) override { selected.push_back(index); }
    void panLeftEdge(SlideSwitchView&, platform::PanGestureRecognizer&) override { ++leftPans; }
    void panRightEdge(SlideSwitchView&, platform::PanGestureRecognizer&) override { ++rightPans; }
    std::vector<std::size_t> selected;
    int leftPans = 0;
    int rightPans = 0;
};

class SlideSwitchViewTest : public WidgetsFixture {
protected:
    void build(std::shared_ptr<Tabs> owner) {
        tabs = std::move(owner);
        switcher = platform::View::create<SlideSwitchView>(Rect::make(0, 64, 320, 455));
        switcher->setTabItemNormalColor(platform::Color::white());
        switcher->setTabItemSelectedColor(platform::Color::rgb255(61, 159, 210));
        switcher->setSlideSwitchViewDelegate(tabs);
        window->addSubview(switcher);
        switcher->buildUI();
        window->layoutIfNeeded();
    }
    ListeningTabs& listener() { return static_cast<ListeningTabs&>(*tabs); }
    platform::Button& title(std::size_t index) { return *switcher->titleButton(index); }
    std::vector<bool> marks() {
        std::vector<bool> result;
        for (std::size_t i = 0; switcher->titleButton(i); ++i) {
            result.push_back(title(i).isSelected());
        }
        return result;
    }
    // Swipes the pages by `dx` points (negative: towards the next page) and lets them settle.
    void swipe(double dx, double velocity) {
        auto& pages = *switcher->rootScrollView();
        ASSERT_TRUE(pages.beginDragging(Point{200, 300}));
        pages.dragTo(Point{200 + dx, 300});
        pages.endDragging(Point{velocity, 0});
        clock->advance(platform::ScrollView::kSettleDuration);
    }
    static std::vector<std::string> manyTitles(int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back("频道" + std::to_string(i));
        }
        return names;
    }

    std::shared_ptr<Tabs> tabs;
    std::shared_ptr<SlideSwitchView> switcher;
};

TEST_F(SlideSwitchViewTest, BuildsTheStripAndTheContentArea) {
    build(std::make_shared<Tabs>(std::vector<std::string>{"要闻", "财税", "政策"}));
    EXPECT_EQ(switcher->topView()->frame(), Rect::make(0, 0, 320, 44));
    EXPECT_EQ(switcher->topView()->backgroundColor(), platform::Color::rgb255(0, 92, 123));
    EXPECT_EQ(switcher->topScrollView()->frame(), Rect::make(20, 0, 280, 44));
    EXPECT_FALSE(switcher->topScrollView()->isPagingEnabled());
    EXPECT_EQ(switcher->rootScrollView()->frame(), Rect::make(0, 44, 320, 411));
    EXPECT_TRUE(switcher->rootScrollView()->isPagingEnabled());
    EXPECT_FALSE(switcher->rootScrollView()->bounces());
    EXPECT_EQ(switcher->leftGapImage()->frame(), Rect::make(5, 15, 14, 14));
    EXPECT_EQ(switcher->rightGapImage()->frame(), Rect::make(301, 15, 14, 14));
    EXPECT_TRUE(switcher->isBuildUI());
    EXPECT_EQ(switcher->userSelectedChannelID(), 100);

    ASSERT_EQ(switcher->viewArray().size(), 3u);
    EXPECT_EQ(switcher->nameArray(), (std::vector<std::string>{"要闻", "财税", "政策"}));
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& page = switcher->viewArray()[i];
        ASSERT_TRUE(page->isViewLoaded());
        EXPECT_EQ(page->view()->superview(), switcher->rootScrollView().get());
        EXPECT_EQ(page->view()->frame(), Rect::make(320.0 * static_cast<double>(i), 0, 320, 411));
    }
    EXPECT_EQ(switcher->rootScrollView()->contentSize(), (platform::Size{960, 411}));
}

TEST_F(SlideSwitchViewTest, TitlesAreMeasuredInTheSystemFontOf15) {
    build(std::make_shared<Tabs>(std::vector<std::string>{"要闻", "财税政策", "A股"}));
    const auto font = platform::Font::systemFont(15);
    EXPECT_EQ(title(0).frame(), Rect::make(16, 0, 30, 44));
    EXPECT_EQ(title(1).frame(), Rect::make(62, 0, 60, 44));
    EXPECT_EQ(title(2).frame().minX(), 138);
    EXPECT_EQ(title(2).frame().width(), std::ceil(font.widthOfText("A股")));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(title(i).tag(), 100 + static_cast<int>(i));
        EXPECT_EQ(title(i).titleLabel()->font(), font);
        EXPECT_EQ(title(i).titleColorForState(platform::ControlStateNormal), platform::Color::white());
        EXPECT_EQ(title(i).titleColorForState(platform::ControlStateSelected),
                  platform::Color::rgb255(61, 159, 210));
    }
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(title(0).currentTitleColor(), platform::Color::rgb255(61, 159, 210));
    EXPECT_EQ(switcher->topScrollView()->contentSize().width, title(2).frame().maxX() + 16);
}

TEST_F(SlideSwitchViewTest, HintImagesShowOnlyForTitlesWiderThan300Points) {
    // 16 + 3 * (75 + 16) = 289: they fit.
    build(std::make_shared<Tabs>(std::vector<std::string>{"一二三四五", "一二三四五", "一二三四五"}));
    EXPECT_EQ(switcher->topScrollView()->contentSize().width, 289);
    EXPECT_TRUE(switcher->leftGapImage()->isHidden());
    EXPECT_TRUE(switcher->rightGapImage()->isHidden());

    // 16 + 75 + 16 + 75 + 16 + 90 + 16 = 304.
    tabs->titles = {"一二三四五", "一二三四五", "一二三四五六"};
    switcher->setIsBuildUI(false);
    switcher->buildUI();
    EXPECT_EQ(switcher->topScrollView()->contentSize().width, 304);
    EXPECT_FALSE(switcher->leftGapImage()->isHidden());
    EXPECT_FALSE(switcher->rightGapImage()->isHidden());
    ASSERT_NE(switcher->leftGapImage()->image(), nullptr);
    EXPECT_NE(switcher->rightGapImage()->image()->source().find("newsRight"), std::string::npos);
}

TEST_F(SlideSwitchViewTest, BuildingTellsTheOwnerTheSelectedTab) {
    build(std::make_shared<ListeningTabs>(std::vector<std::string>{"要闻", "财税", "政策"}));
    EXPECT_EQ(listener().selected, (std::vector<std::size_t>{0}));
}

TEST_F(SlideSwitchViewTest, TappingATitleSelectsItsPageAfterTheAnimation) {
    build(std::make_shared<ListeningTabs>(std::vector<std::string>{"要闻", "财税", "政策"}));
    listener().selected.clear();

    ASSERT_TRUE(window->tap(title(2).frameInWindow().center()));
    EXPECT_EQ(marks(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(switcher->userSelectedChannelID(), 102);
    clock->advance(0.2);
    EXPECT_TRUE(listener().selected.empty());
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 0);

    clock->advance(0.05);
    EXPECT_EQ(listener().selected, (std::vector<std::size_t>{2}));
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 640);
}

TEST_F(SlideSwitchViewTest, TappingTheSelectedTitleSendsNothing) {
    build(std::make_shared<ListeningTabs>(std::vector<std::string>{"要闻", "财税", "政策"}));
    listener().selected.clear();
    ASSERT_TRUE(window->tap(title(0).frameInWindow().center()));
    clock->advance(1.0);
    EXPECT_TRUE(listener().selected.empty());
    EXPECT_EQ(marks(), (std::vector<bool>{true, false, false}));
}

TEST_F(SlideSwitchViewTest, SwipingThePagesMarksTheTitleAndTellsTheOwner) {
    build(std::make_shared<ListeningTabs>(std::vector<std::string>{"要闻", "财税", "政策"}));
    listener().selected.clear();

    swipe(-200, -800);
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 320);
    EXPECT_EQ(marks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(switcher->userSelectedChannelID(), 101);
    EXPECT_TRUE(listener().selected.empty());
    clock->advance(0.25);
    EXPECT_EQ(listener().selected, (std::vector<std::size_t>{1}));
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 320);
}

TEST_F(SlideSwitchViewTest, ASwipeThatSettlesOnTheSelectedPageLeavesLaterTapsWorking) {
    build(std::make_shared<ListeningTabs>(std::vector<std::string>{"要闻", "财税", "政策"}));
    listener().selected.clear();

    swipe(-40, 0);  // too short: back to the first page
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 0);
    clock->advance(1.0);
    EXPECT_TRUE(listener().selected.empty());

    ASSERT_TRUE(window->tap(title(2).frameInWindow().center()));
    clock->advance(0.25);
    EXPECT_EQ(listener().selected, (std::vector<std::size_t>{2}));
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 640);
}

TEST_F(SlideSwitchViewTest, SelectingTheLastOfTenTabsScrollsItsTitleIntoTheStrip) {
    build(std::make_shared<ListeningTabs>(manyTitles(10)));
    auto& strip = *switcher->topScrollView();
    EXPECT_EQ(strip.contentOffset().x, 0);

    switcher->selectNameButton(title(9));
    const double rightEdge = title(9).frame().maxX() - strip.contentOffset().x;
    EXPECT_DOUBLE_EQ(rightEdge, strip.frame().width() - 16);
    EXPECT_DOUBLE_EQ(strip.contentOffset().x, strip.contentSize().width - strip.frame().width());
    clock->advance(0.25);
    EXPECT_EQ(listener().selected.back(), 9u);
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 9 * 320);

    // Back to the first: its title comes back 16 points from the strip's left edge.
    switcher->selectNameButton(title(0));
    EXPECT_DOUBLE_EQ(strip.contentOffset().x, 0);
}

TEST_F(SlideSwitchViewTest, ARebuildWithFewerTabsBringsTheSelectionIntoRange) {
    build(std::make_shared<ListeningTabs>(manyTitles(5)));
    switcher->selectNameButton(title(4));
    clock->advance(0.25);
    listener().selected.clear();

    tabs->titles = manyTitles(3);
    switcher->setIsBuildUI(false);
    switcher->buildUI();
    window->layoutIfNeeded();
    EXPECT_EQ(listener().selected, (std::vector<std::size_t>{2}));
    EXPECT_EQ(switcher->userSelectedChannelID(), 102);
    EXPECT_EQ(marks(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 640);
    EXPECT_EQ(switcher->viewArray().size(), 3u);
    EXPECT_EQ(switcher->rootScrollView()->subviews().size(), 3u);
}

TEST_F(SlideSwitchViewTest, AfterARebuildTheMarkedTitleIsTheSelectedTab) {
    build(std::make_shared<ListeningTabs>(manyTitles(4)));
    switcher->selectNameButton(title(2));
    clock->advance(0.25);
    listener().selected.clear();

    switcher->setIsBuildUI(false);
    switcher->buildUI();
    window->layoutIfNeeded();
    EXPECT_EQ(marks(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(listener().selected, (std::vector<std::size_t>{2}));
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 640);

    // The first title is not marked, so a tap on it selects it.
    listener().selected.clear();
    ASSERT_TRUE(window->tap(title(0).frameInWindow().center()));
    clock->advance(0.25);
    EXPECT_EQ(listener().selected, (std::vector<std::size_t>{0}));
    EXPECT_EQ(switcher->rootScrollView()->contentOffset().x, 0);
}

TEST_F(SlideSwitchViewTest, PansAtTheEndsOfThePagesReachTheOwner) {
    build(std::make_shared<ListeningTabs>(manyTitles(3)));
    auto& pages = *switcher->rootScrollView();
    ASSERT_TRUE(pages.beginDragging(Point{200, 300}));
    pages.dragTo(Point{260, 300});  // no bounce: stays at 0
    pages.endDragging(Point{0, 0});
    EXPECT_GT(listener().leftPans, 0);
    EXPECT_EQ(listener().rightPans, 0);

    pages.setContentOffset(Point{640, 0});
    listener().leftPans = 0;
    ASSERT_TRUE(pages.beginDragging(Point{200, 300}));
    pages.dragTo(Point{100, 300});
    pages.endDragging(Point{0, 0});
    EXPECT_GT(listener().rightPans, 0);
    EXPECT_EQ(listener().leftPans, 0);

    // In the middle, neither.
    clock->advance(1.0);
    pages.setContentOffset(Point{320, 0});
    listener().leftPans = listener().rightPans = 0;
    ASSERT_TRUE(pages.beginDragging(Point{200, 300}));
    pages.dragTo(Point{190, 300});
    EXPECT_EQ(listener().leftPans + listener().rightPans, 0);
    pages.endDragging(Point{0, 0});
}

TEST_F(SlideSwitchViewTest, AnOwnerWithoutTheOptionalOperationsWorks) {
    build(std::make_shared<Tabs>(manyTitles(3)));
    auto& pages = *switcher->rootScrollView();
    ASSERT_TRUE(pages.beginDragging(Point{200, 300}));
    pages.dragTo(Point{260, 300});
    pages.endDragging(Point{0, 0});
    ASSERT_TRUE(window->tap(title(1).frameInWindow().center()));
    clock->advance(0.25);
    EXPECT_EQ(pages.contentOffset().x, 320);
    EXPECT_EQ(switcher->userSelectedChannelID(), 101);
}

TEST_F(SlideSwitchViewTest, ARebuildReplacesThePagesAndTitles) {
    build(std::make_shared<Tabs>(manyTitles(3)));
    std::weak_ptr<platform::ViewController> oldPage = switcher->viewArray()[0];
    std::weak_ptr<platform::View> oldView = switcher->viewArray()[0]->view();
    tabs->titles = {"新"};
    switcher->setIsBuildUI(false);
    switcher->buildUI();
    EXPECT_TRUE(oldPage.expired());
    EXPECT_TRUE(oldView.expired());
    EXPECT_EQ(switcher->nameArray(), (std::vector<std::string>{"新"}));
    EXPECT_EQ(switcher->topScrollView()->subviews().size(), 1u);
    EXPECT_EQ(switcher->titleButton(1), nullptr);
}

TEST_F(SlideSwitchViewTest, NoOwnerOrNoTabsBuildsNothingAndReportsNothing) {
    build(std::make_shared<ListeningTabs>(std::vector<std::string>{}));
    EXPECT_TRUE(switcher->viewArray().empty());
    EXPECT_TRUE(listener().selected.empty());
    EXPECT_TRUE(switcher->isBuildUI());

    auto lone = platform::View::create<SlideSwitchView>(Rect::make(0, 0, 320, 400));
    lone->buildUI();
    EXPECT_TRUE(lone->viewArray().empty());
    EXPECT_EQ(lone->userSelectedChannelID(), 100);
}

}  // namespace
}  // namespace qelvo::test
