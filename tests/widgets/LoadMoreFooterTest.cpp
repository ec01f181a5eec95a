#include "WidgetsFixture.h"
#include "components/LoadMoreFooter.h"

#include <gtest/gtest.h>

namespace qelvo::test {
namespace {

using platform::Point;
using platform::Rect;

class LoadMoreFooterTest : public WidgetsFixture {
protected:
    void SetUp() override {
        WidgetsFixture::SetUp();
        rows = std::make_shared<PlainRows>(3);
        list = platform::View::create<platform::TableView>(Rect::make(0, 0, 320, 480));
        list->setDataSource(rows);
        window->addSubview(list);
        list->reloadData();
    }

    LoadMoreFooter* footer() const { return dynamic_cast<LoadMoreFooter*>(list->tableFooterView().get()); }

    std::shared_ptr<PlainRows> rows;
    std::shared_ptr<platform::TableView> list;
    int loads = 0;
};

TEST_F(LoadMoreFooterTest, PutsTheStripWithItsButtonAndStoppedIndicator) {
    LoadMoreFooter::setUnder(*list, true, [this] { ++loads; });
    ASSERT_NE(footer(), nullptr);
    EXPECT_EQ(footer()->frame().size, (platform::Size{320, 50}));
    EXPECT_EQ(footer()->backgroundColor(), platform::Color::clear());

    const auto& button = *footer()->button();
    EXPECT_EQ(button.frame(), Rect::make(0, 0, 320, 50));
    EXPECT_EQ(button.currentTitle(), "加载更多");
    EXPECT_EQ(button.currentTitleColor(), platform::Color::black());
    EXPECT_EQ(button.titleLabel()->font(), platform::Font::systemFont(16));

    auto found = footer()->viewWithTag(5000);
    auto* indicator = dynamic_cast<platform::ActivityIndicatorView*>(found.get());
    ASSERT_NE(indicator, nullptr);
    EXPECT_EQ(indicator->style(), platform::ActivityIndicatorStyle::Gray);
    EXPECT_EQ(indicator->center(), (Point{80, 25}));
    EXPECT_FALSE(indicator->isAnimating());
    EXPECT_TRUE(indicator->isHidden());
    EXPECT_EQ(loads, 0);
}

TEST_F(LoadMoreFooterTest, ATapSpinsTheIndicatorAndAsksForMore) {
    LoadMoreFooter::setUnder(*list, true, [this] { ++loads; });
    window->layoutIfNeeded();
    const Rect onScreen = footer()->frameInWindow();
    ASSERT_LT(onScreen.maxY(), 480);  // three rows: the footer is in view
    ASSERT_TRUE(window->tap(onScreen.center()));
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(footer()->indicator()->isAnimating());
    EXPECT_FALSE(footer()->indicator()->isHidden());

    LoadMoreFooter::stopIndicator(*list);
    EXPECT_FALSE(footer()->indicator()->isAnimating());
    EXPECT_TRUE(footer()->indicator()->isHidden());
}

TEST_F(LoadMoreFooterTest, StartAndStopWorkOnTheListsFooter) {
    LoadMoreFooter::startIndicator(*list);  // no footer: nothing happens
    LoadMoreFooter::stopIndicator(*list);
    EXPECT_EQ(list->tableFooterView(), nullptr);

    LoadMoreFooter::setUnder(*list, true, {});
    LoadMoreFooter::startIndicator(*list);
    EXPECT_TRUE(footer()->indicator()->isAnimating());
    LoadMoreFooter::stopIndicator(*list);
    EXPECT_FALSE(footer()->indicator()->isAnimating());
    LoadMoreFooter::stopIndicator(*list);  // already stopped
    EXPECT_FALSE(footer()->indicator()->isAnimating());
    EXPECT_TRUE(footer()->indicator()->isHidden());
}

TEST_F(LoadMoreFooterTest, NoNextPageRemovesTheFooter) {
    LoadMoreFooter::setUnder(*list, true, [this] { ++loads; });
    ASSERT_NE(footer(), nullptr);
    auto* first = footer();
    LoadMoreFooter::setUnder(*list, true, [this] { loads += 10; });
    ASSERT_NE(footer(), nullptr);
    EXPECT_NE(footer(), first);
    footer()->button()->sendActionsForControlEvents(platform::TouchUpInside);
    EXPECT_EQ(loads, 10);  // the latest action only

    LoadMoreFooter::setUnder(*list, false, [this] { ++loads; });
    EXPECT_EQ(list->tableFooterView(), nullptr);
    LoadMoreFooter::setUnder(*list, false, {});
    EXPECT_EQ(list->tableFooterView(), nullptr);
}

TEST_F(LoadMoreFooterTest, TheFootersActionDoesNotKeepTheFooterAlive) {
    LoadMoreFooter::setUnder(*list, true, [this] { ++loads; });
    std::weak_ptr<platform::View> weak = list->tableFooterView();
    LoadMoreFooter::setUnder(*list, false, {});
    EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace qelvo::test
