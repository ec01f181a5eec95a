#include "platform/foundation/Json.h"
#include "platform/ui/PageControl.h"

#include "tests/ui_scroll/UiScrollTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using platform::Control;
using platform::PageControl;
using platform::Value;
using platform::View;
using qelvo::testing::Point;
using qelvo::testing::Rect;
using qelvo::testing::Size;

class PageControlTest : public qelvo::testing::UiScrollTest {
protected:
    void SetUp() override {
        UiScrollTest::SetUp();
        pages = View::create<PageControl>(Rect::make(230, 130, 80, 20));
        pages->setNumberOfPages(3);
        pages->addAction(
            [this](Control& sender) { changes.push_back(static_cast<PageControl&>(sender).currentPage()); },
            platform::ValueChanged);
        window = windowWith(pages);
    }
    Point leftHalf() const { return Point{240, 140}; }
    Point rightHalf() const { return Point{300, 140}; }

    std::shared_ptr<PageControl> pages;
    std::shared_ptr<platform::Window> window;
    std::vector<int> changes;
};

TEST_F(PageControlTest, TheCurrentPageStaysWithinThePages) {
    pages->setCurrentPage(7);
    EXPECT_EQ(pages->currentPage(), 2);
    pages->setCurrentPage(-1);
    EXPECT_EQ(pages->currentPage(), 0);
    pages->setCurrentPage(2);
    pages->setNumberOfPages(2);
    EXPECT_EQ(pages->currentPage(), 1);
    pages->setNumberOfPages(0);
    EXPECT_EQ(pages->currentPage(), 0);
    EXPECT_TRUE(changes.empty());  // the program's changes send nothing
}

TEST_F(PageControlTest, ATapOnEitherHalfMovesOnePageThatWayAndReportsTheChange) {
    window->tap(rightHalf());
    window->tap(rightHalf());
    window->tap(rightHalf());  // already on the last page
    EXPECT_EQ(pages->currentPage(), 2);
    window->tap(leftHalf());
    EXPECT_EQ(changes, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(pages->displayedPage(), 1);
}

TEST_F(PageControlTest, DeferredDisplayKeepsTheOldDotUntilAskedToUpdate) {
    pages->setDefersCurrentPageDisplay(true);
    window->tap(rightHalf());
    EXPECT_EQ(pages->currentPage(), 1);
    EXPECT_EQ(pages->displayedPage(), 0);
    pages->updateCurrentPageDisplay();
    EXPECT_EQ(pages->displayedPage(), 1);
}

TEST_F(PageControlTest, TheScreenListsItsPagesUnlessASinglePageHides) {
    pages->setCurrentPage(1);
    EXPECT_EQ(pages->screenEntry(), (Value{{"kind", "pages"}, {"count", 3}, {"current", 1}}));
    EXPECT_EQ(PageControl::sizeForNumberOfPages(3), (Size{48, 37}));
    pages->sizeToFit();
    EXPECT_EQ(pages->frame().size, (Size{48, 37}));

    pages->setNumberOfPages(1);
    pages->setHidesForSinglePage(true);
    EXPECT_TRUE(pages->screenEntry().is_null());
    EXPECT_EQ(window->viewAtPoint(Point{240, 140}), window);
    pages->setNumberOfPages(2);
    EXPECT_FALSE(pages->screenEntry().is_null());
}

}  // namespace
