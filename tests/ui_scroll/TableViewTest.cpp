#include "platform/foundation/Json.h"
#include "platform/ui/Button.h"
#include "platform/ui/TableView.h"

#include "tests/ui_scroll/UiScrollTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using platform::CellSelectionStyle;
using platform::Control;
using platform::EdgeInsets;
using platform::TableView;
using platform::TableViewCell;
using platform::TableViewScrollPosition;
using platform::TouchPhase;
using platform::View;
using qelvo::testing::IndexPath;
using qelvo::testing::makeTable;
using qelvo::testing::Point;
using qelvo::testing::Rect;
using qelvo::testing::RowsSource;
using Paths = std::vector<IndexPath>;

class TableViewTest : public qelvo::testing::UiScrollTest {
protected:
    // Five 44-point rows fit the table exactly.
    static constexpr Rect kFiveRows = Rect::make(0, 0, 320, 220);

    static Paths rows(int first, int last) {
        Paths paths;
        for (int row = first; row <= last; ++row) {
            paths.push_back(IndexPath{0, row});
        }
        return paths;
    }
    static std::size_t cellSubviews(const TableView& table) {
        std::size_t count = 0;
        for (const auto& child : table.subviews()) {
            count += dynamic_cast<TableViewCell*>(child.get()) ? 1 : 0;
        }
        return count;
    }
};

// A cell that counts how often the table hands it back for reuse.
class CountingCell : public TableViewCell {
public:
    CountingCell() : TableViewCell(platform::CellStyle::Default, "row") {}
    void prepareForReuse() override { ++prepared; }
    int prepared = 0;
};

// Rows of 80 points first, then the table's own height; a header view over section 1
// and a title over section 2.
class SectionedSource : public RowsSource {
public:
    using RowsSource::RowsSource;
    std::optional<double> heightForRowAtIndexPath(TableView&, const IndexPath& path) override {
        return path.row == 0 && tallFirstRow ? std::optional<double>(80) : std::nullopt;
    }
    std::shared_ptr<View> viewForHeaderInSection(TableView&, int section) override {
        return section == 1 ? View::create<View>() : nullptr;
    }
    std::optional<std::string> titleForHeaderInSection(TableView&, int section) override {
        return section == 2 ? std::optional<std::string>("推荐") : std::nullopt;
    }
    bool tallFirstRow = false;
};

TEST_F(TableViewTest, OnlyTheRowsInViewGetCellsAndScrollingReusesThem) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{100});
    auto table = makeTable(source, kFiveRows);
    EXPECT_EQ(table->contentSize().height, 4400);
    EXPECT_EQ(table->indexPathsForVisibleRows(), rows(0, 4));
    EXPECT_EQ(source->created, 5);

    for (int y = 0; y <= 4400 - 220; y += 7) {
        table->setContentOffset(Point{0, static_cast<double>(y)});
    }
    table->setContentOffset(Point{0, 4180});
    // A row partly in at each end makes six at most.
    EXPECT_EQ(source->created, 6);
    EXPECT_EQ(table->indexPathsForVisibleRows(), rows(95, 99));
    EXPECT_EQ(cellSubviews(*table), 5u);
    for (const auto& cell : table->visibleCells()) {
        auto path = cell->indexPathInTable();
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(cell->textLabel()->text(), "Row 0." + std::to_string(path->row));
        EXPECT_EQ(cell->frame(), table->rectForRowAtIndexPath(*path));
    }
}

TEST_F(TableViewTest, ADequeuedCellIsTheOneThatLeftTheViewAndShowsItsNewRow) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{100});
    source->makeCell = [] { return View::create<CountingCell>(); };
    auto table = makeTable(source, kFiveRows);
    auto first = std::dynamic_pointer_cast<CountingCell>(table->cellForRowAtIndexPath(IndexPath{0, 0}));
    ASSERT_NE(first, nullptr);

    table->setContentOffset(Point{0, 44});
    EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath{0, 0}), nullptr);
    EXPECT_EQ(first->prepared, 1);
    ASSERT_EQ(source->reused.size(), 1u);
    EXPECT_EQ(source->reused[0], first.get());
    EXPECT_EQ(table->cellForRowAtIndexPath(IndexPath{0, 5}), first);
    EXPECT_EQ(first->textLabel()->text(), "Row 0.5");
    EXPECT_EQ(first->indexPathInTable(), (IndexPath{0, 5}));
    EXPECT_EQ(first->frame(), Rect::make(0, 220, 320, 44));
    EXPECT_EQ(table->indexPathForCell(*first), (IndexPath{0, 5}));
    // Cells stay in row order among the table's subviews.
    EXPECT_EQ(table->subviews().back(), table->cellForRowAtIndexPath(IndexPath{0, 5}));
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("row"), nullptr);
}

TEST_F(TableViewTest, RowsUnderTheTopInsetCountAsInView) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{100});
    auto table = makeTable(source, kFiveRows);
    table->setContentInset(EdgeInsets{60, 0, 0, 0});
    table->setContentOffset(Point{0, -60});
    EXPECT_EQ(table->indexPathsForVisibleRows(), rows(0, 3));
    table->setContentOffset(Point{0, 30});
    EXPECT_EQ(table->indexPathsForVisibleRows(), rows(0, 5));
}

TEST_F(TableViewTest, HeaderAndFooterViewsAndSectionHeadersTakeTheirPlaceInTheContent) {
    auto source = std::make_shared<SectionedSource>(std::vector<int>{2, 2, 2});
    auto table = makeTable(source, Rect::make(0, 0, 320, 568));
    table->setTableHeaderView(View::create<View>(Rect::make(0, 0, 320, 155)));
    auto footer = View::create<View>(Rect::make(0, 0, 320, 50));
    table->setTableFooterView(footer);

    // Plain style: only sections with something to show above them get a header.
    EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath{0, 0}), Rect::make(0, 155, 320, 44));
    EXPECT_EQ(table->rectForHeaderInSection(1), Rect::make(0, 243, 320, 22));
    EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath{1, 0}), Rect::make(0, 265, 320, 44));
    EXPECT_EQ(table->rectForHeaderInSection(2), Rect::make(0, 353, 320, 22));
    EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath{2, 1}), Rect::make(0, 419, 320, 44));
    EXPECT_EQ(footer->frame(), Rect::make(0, 463, 320, 50));
    EXPECT_EQ(table->contentSize().height, 513);
    EXPECT_EQ(table->indexPathForRowAtPoint(Point{10, 270}), (IndexPath{1, 0}));
    EXPECT_EQ(table->indexPathForRowAtPoint(Point{10, 250}), std::nullopt);  // on the header
    EXPECT_EQ(table->indexPathForRowAtPoint(Point{10, 470}), std::nullopt);  // on the footer

    // The title of section 2 shows as a label in its header.
    bool titleShown = false;
    for (const auto& child : table->subviews()) {
        if (child->frame() == table->rectForHeaderInSection(2) && !child->subviews().empty()) {
            auto* label = dynamic_cast<platform::Label*>(child->subviews()[0].get());
            titleShown = label && label->text() == "推荐";
        }
    }
    EXPECT_TRUE(titleShown);

    table->setTableFooterView(nullptr);
    EXPECT_EQ(footer->superview(), nullptr);
    EXPECT_EQ(table->contentSize().height, 463);
}

TEST_F(TableViewTest, RowHeightsComeFromTheDelegateWhereItAnswersAndFromRowHeightElsewhere) {
    auto source = std::make_shared<SectionedSource>(std::vector<int>{3});
    source->tallFirstRow = true;
    auto table = platform::View::create<TableView>(kFiveRows);
    table->setRowHeight(50);
    table->setDataSource(source);
    table->setDelegate(source);
    table->reloadData();
    EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath{0, 2}), Rect::make(0, 130, 320, 50));
    EXPECT_EQ(table->contentSize().height, 180);

    // Without a delegate every row is rowHeight high.
    table->setDelegate(std::weak_ptr<platform::TableViewDelegate>());
    table->reloadData();
    EXPECT_EQ(table->contentSize().height, 150);
}

TEST_F(TableViewTest, ReloadingWithFewerRowsRecyclesTheCellsOfTheRowsThatWent) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{100});
    auto table = makeTable(source, kFiveRows);
    table->setContentOffset(Point{0, 1000});
    source->rows = {2};
    table->reloadData();
    EXPECT_EQ(table->contentOffset().y, 0);
    EXPECT_EQ(table->numberOfRowsInSection(0), 2);
    EXPECT_EQ(table->indexPathsForVisibleRows(), rows(0, 1));
    EXPECT_EQ(cellSubviews(*table), 2u);

    source->rows = {100};
    table->reloadData();
    EXPECT_EQ(table->indexPathsForVisibleRows(), rows(0, 4));
    EXPECT_EQ(source->created, 6);  // every cell came from the queue
}

TEST_F(TableViewTest, ATapOnARowHighlightsItWhileDownThenSelectsIt) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{20});
    auto table = makeTable(source, Rect::make(0, 64, 320, 220));
    auto window = windowWith(table);
    auto third = table->cellForRowAtIndexPath(IndexPath{0, 2});

    window->sendTouch(TouchPhase::Began, Point{160, 64 + 2 * 44 + 20});
    EXPECT_TRUE(third->isHighlighted());
    EXPECT_FALSE(third->isSelected());
    window->sendTouch(TouchPhase::Ended, Point{160, 64 + 2 * 44 + 20});
    EXPECT_FALSE(third->isHighlighted());
    EXPECT_TRUE(third->isSelected());
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 2}));
    EXPECT_EQ(source->events, (std::vector<std::string>{"select 0.2"}));

    window->tap(Point{160, 64 + 3 * 44 + 20});
    EXPECT_FALSE(third->isSelected());
    EXPECT_EQ(source->events, (std::vector<std::string>{"select 0.2", "deselect 0.2", "select 0.3"}));

    // The program's deselection tells nobody.
    table->deselectRowAtIndexPath(IndexPath{0, 3}, true);
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    EXPECT_FALSE(table->cellForRowAtIndexPath(IndexPath{0, 3})->isSelected());
    EXPECT_EQ(source->events.size(), 3u);

    // A drag is no tap.
    window->sendTouch(TouchPhase::Began, Point{160, 200});
    window->sendTouch(TouchPhase::Moved, Point{160, 150});
    window->sendTouch(TouchPhase::Ended, Point{160, 150});
    EXPECT_EQ(source->events.size(), 3u);
    EXPECT_EQ(table->contentOffset().y, 50);
}

TEST_F(TableViewTest, TapsOnPlainViewsInACellSelectTheRowButTapsOnControlsAreTheControls) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{5});
    int buttonTaps = 0;
    source->configure = [&](TableViewCell& cell, const IndexPath&) {
        if (cell.contentView()->subviews().size() > 1) {
            return;
        }
        cell.contentView()->addSubview(View::create<View>(Rect::make(0, 0, 100, 44)));
        auto button = View::create<platform::Button>(Rect::make(220, 0, 80, 44));
        button->addAction([&](Control&) { ++buttonTaps; }, platform::TouchUpInside);
        cell.contentView()->addSubview(button);
    };
    auto table = makeTable(source, Rect::make(0, 0, 320, 220));
    auto window = windowWith(table);

    window->tap(Point{50, 22});
    EXPECT_EQ(source->events, (std::vector<std::string>{"select 0.0"}));
    window->tap(Point{250, 66});
    EXPECT_EQ(buttonTaps, 1);
    EXPECT_EQ(source->events.size(), 1u);
}

TEST_F(TableViewTest, WithoutASelectionStyleARowStaysUnhighlightedButIsStillSelected) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{5});
    source->configure = [](TableViewCell& cell, const IndexPath&) {
        cell.setSelectionStyle(CellSelectionStyle::None);
    };
    auto table = makeTable(source, kFiveRows);
    auto window = windowWith(table);
    auto cell = table->cellForRowAtIndexPath(IndexPath{0, 1});

    window->sendTouch(TouchPhase::Began, Point{160, 66});
    EXPECT_FALSE(cell->isHighlighted());
    window->sendTouch(TouchPhase::Ended, Point{160, 66});
    EXPECT_EQ(source->events, (std::vector<std::string>{"select 0.1"}));

    table->setAllowsSelection(false);
    window->tap(Point{160, 110});
    EXPECT_EQ(source->events.size(), 1u);
}

TEST_F(TableViewTest, ScrollingToARowPutsItWhereAsked) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{100});
    auto table = makeTable(source, kFiveRows);
    table->scrollToRowAtIndexPath(IndexPath{0, 50}, TableViewScrollPosition::Top, false);
    EXPECT_EQ(table->contentOffset().y, 2200);
    table->scrollToRowAtIndexPath(IndexPath{0, 50}, TableViewScrollPosition::Bottom, false);
    EXPECT_EQ(table->contentOffset().y, 2024);
    table->scrollToRowAtIndexPath(IndexPath{0, 50}, TableViewScrollPosition::Middle, false);
    EXPECT_EQ(table->contentOffset().y, 2112);
    table->scrollToRowAtIndexPath(IndexPath{0, 49}, TableViewScrollPosition::None, false);
    EXPECT_EQ(table->contentOffset().y, 2112);  // already in view
    table->scrollToRowAtIndexPath(IndexPath{0, 99}, TableViewScrollPosition::Top, false);
    EXPECT_EQ(table->contentOffset().y, 4180);  // no further than the end
    EXPECT_NE(table->cellForRowAtIndexPath(IndexPath{0, 99}), nullptr);

    table->selectRowAtIndexPath(IndexPath{0, 10}, false, TableViewScrollPosition::Top);
    EXPECT_EQ(table->contentOffset().y, 440);
    EXPECT_TRUE(table->cellForRowAtIndexPath(IndexPath{0, 10})->isSelected());
    EXPECT_TRUE(source->events.empty());
}

TEST_F(TableViewTest, TheTreeDescribesTheListAndItsSelectedRow) {
    auto source = std::make_shared<RowsSource>(std::vector<int>{3, 4});
    auto table = makeTable(source, kFiveRows, platform::TableViewStyle::Grouped);
    table->selectRowAtIndexPath(IndexPath{1, 2}, false, TableViewScrollPosition::None);
    platform::Value node;
    table->describe(node);
    EXPECT_EQ(node["class"], "TableView");
    EXPECT_EQ(node["style"], "grouped");
    EXPECT_EQ(node["rows"], (platform::Value{3, 4}));
    EXPECT_EQ(node["selectedRow"], (platform::Value{1, 2}));
    EXPECT_TRUE(node.contains("contentOffset"));
    EXPECT_TRUE(table->screenEntry().is_null());
    // Grouped sections keep their gaps: 10 above and below each.
    EXPECT_EQ(table->rectForRowAtIndexPath(IndexPath{1, 0}).minY(), 10 + 3 * 44 + 10 + 10);
}

}  // namespace
