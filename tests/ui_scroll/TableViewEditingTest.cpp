#include "platform/ui/TableView.h"

#include "tests/ui_scroll/UiScrollTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using platform::CellEditingStyle;
using platform::TableView;
using platform::TableViewCell;
using platform::TouchPhase;
using platform::View;
using qelvo::testing::DeletableRowsSource;
using qelvo::testing::IndexPath;
using qelvo::testing::makeTable;
using qelvo::testing::Point;
using qelvo::testing::Rect;
using qelvo::testing::RowsSource;
using Texts = std::vector<std::string>;

class TableViewEditingTest : public qelvo::testing::UiScrollTest {
protected:
    void SetUp() override {
        UiScrollTest::SetUp();
        table = makeTable(source, Rect::make(0, 0, 320, 440));
        window = windowWith(table);
    }
    // A finger across row `row` from right to left.
    void swipeLeft(int row, double distance = 150) {
        double y = row * 44 + 22;
        window->sendTouch(TouchPhase::Began, Point{260, y});
        window->sendTouch(TouchPhase::Moved, Point{260 - distance / 2, y + 2});
        window->sendTouch(TouchPhase::Moved, Point{260 - distance, y + 4});
        window->sendTouch(TouchPhase::Ended, Point{260 - distance, y + 4});
    }
    Point centreOf(const View& view) const { return view.frameInWindow().center(); }

    std::shared_ptr<DeletableRowsSource> source = std::make_shared<DeletableRowsSource>(std::vector<int>{20});
    std::shared_ptr<TableView> table;
    std::shared_ptr<platform::Window> window;
};

// Names its own confirmation and keeps row 0 out of editing.
class TitledSource : public DeletableRowsSource {
public:
    using DeletableRowsSource::DeletableRowsSource;
    std::optional<std::string> titleForDeleteConfirmationButtonForRowAtIndexPath(TableView&,
                                                                                 const IndexPath&) override {
        return std::string("移除");
    }
    CellEditingStyle editingStyleForRowAtIndexPath(TableView&, const IndexPath& path) override {
        return path.row == 0 ? CellEditingStyle::None : CellEditingStyle::Delete;
    }
};

TEST_F(TableViewEditingTest, ASwipeToTheLeftShowsTheDeleteButtonWhoseTapCommitsTheDeletion) {
    swipeLeft(2);
    EXPECT_EQ(table->deleteConfirmationIndexPath(), (IndexPath{0, 2}));
    EXPECT_EQ(table->contentOffset().y, 0);
    auto cell = table->cellForRowAtIndexPath(IndexPath{0, 2});
    ASSERT_TRUE(cell->showingDeleteConfirmation());
    auto button = cell->deleteConfirmationButton();
    EXPECT_EQ(button->currentTitle(), TableViewCell::kDeleteTitle);
    EXPECT_EQ(button->superview(), cell.get());
    EXPECT_EQ(cell->subviews().back(), button);
    EXPECT_TRUE(source->events.empty());

    window->tap(centreOf(*button));
    EXPECT_EQ(source->commits, (Texts{"1 0.2"}));
    EXPECT_EQ(table->deleteConfirmationIndexPath(), std::nullopt);
    EXPECT_FALSE(cell->showingDeleteConfirmation());
    EXPECT_TRUE(source->events.empty());
}

TEST_F(TableViewEditingTest, ShortRightwardOrUndeletableSwipesShowNothing) {
    swipeLeft(1, 30);
    EXPECT_EQ(table->deleteConfirmationIndexPath(), std::nullopt);
    swipeLeft(1, -150);
    EXPECT_EQ(table->deleteConfirmationIndexPath(), std::nullopt);
    source->lockedRow = 3;
    swipeLeft(3);
    EXPECT_EQ(table->deleteConfirmationIndexPath(), std::nullopt);
    EXPECT_FALSE(table->swipeToDelete(IndexPath{0, 3}));
    EXPECT_FALSE(table->swipeToDelete(IndexPath{0, 99}));

    // A data source that commits nothing offers no deletion at all.
    auto plain = std::make_shared<RowsSource>(std::vector<int>{5});
    table->setDataSource(plain);
    table->reloadData();
    EXPECT_FALSE(table->canDeleteRowAtIndexPath(IndexPath{0, 1}));
    EXPECT_FALSE(table->swipeToDelete(IndexPath{0, 1}));
    table->setEditing(true);
    EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath{0, 1})->editingControl(), nullptr);
}

TEST_F(TableViewEditingTest, ATapElsewhereOrADragHidesTheConfirmationWithoutSelectingAnything) {
    ASSERT_TRUE(table->swipeToDelete(IndexPath{0, 4}));
    window->tap(Point{160, 22});
    EXPECT_EQ(table->deleteConfirmationIndexPath(), std::nullopt);
    EXPECT_FALSE(table->cellForRowAtIndexPath(IndexPath{0, 4})->showingDeleteConfirmation());
    EXPECT_TRUE(source->events.empty());

    ASSERT_TRUE(table->swipeToDelete(IndexPath{0, 4}));
    table->beginDragging(Point{160, 300});
    EXPECT_EQ(table->deleteConfirmationIndexPath(), std::nullopt);
    table->endDragging(Point{});

    // A confirmation on a row out of view shows when the row comes into view.
    ASSERT_TRUE(table->swipeToDelete(IndexPath{0, 15}));
    table->setContentOffset(Point{0, 440});
    EXPECT_TRUE(table->cellForRowAtIndexPath(IndexPath{0, 15})->showingDeleteConfirmation());
    table->reloadData();
    EXPECT_EQ(table->deleteConfirmationIndexPath(), std::nullopt);
    EXPECT_TRUE(source->commits.empty());
}

TEST_F(TableViewEditingTest, InEditingModeTheDeleteControlShowsTheConfirmationWhichCommits) {
    table->setEditing(true);
    EXPECT_TRUE(table->isEditing());
    for (const auto& cell : table->visibleCells()) {
        EXPECT_TRUE(cell->isEditing());
        EXPECT_NE(cell->editingControl(), nullptr);
    }
    auto cell = table->cellForRowAtIndexPath(IndexPath{0, 3});
    window->tap(centreOf(*cell->editingControl()));
    EXPECT_EQ(table->deleteConfirmationIndexPath(), (IndexPath{0, 3}));
    EXPECT_FALSE(table->swipeToDelete(IndexPath{0, 5}));  // no swiping while editing
    window->tap(centreOf(*cell->deleteConfirmationButton()));
    EXPECT_EQ(source->commits, (Texts{"1 0.3"}));

    // Rows tapped while editing are not selected.
    window->tap(Point{200, 22});
    EXPECT_TRUE(source->events.empty());

    table->setEditing(false);
    EXPECT_FALSE(cell->isEditing());
    EXPECT_EQ(cell->editingControl(), nullptr);
}

TEST_F(TableViewEditingTest, TheDelegateNamesTheConfirmationAndDecidesWhichRowsAreEditable) {
    auto titled = std::make_shared<TitledSource>(std::vector<int>{5});
    table->setDataSource(titled);
    table->setDelegate(titled);
    table->reloadData();
    EXPECT_FALSE(table->swipeToDelete(IndexPath{0, 0}));
    ASSERT_TRUE(table->swipeToDelete(IndexPath{0, 1}));
    EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath{0, 1})->deleteConfirmationButton()->currentTitle(),
              "移除");

    table->setEditing(true);
    EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath{0, 0})->editingControl(), nullptr);
    EXPECT_NE(table->cellForRowAtIndexPath(IndexPath{0, 1})->editingControl(), nullptr);
}

}  // namespace
