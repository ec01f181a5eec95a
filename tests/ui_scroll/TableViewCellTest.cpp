#include "platform/foundation/Json.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

#include "tests/ui_scroll/UiScrollTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using platform::CellAccessoryType;
using platform::CellSelectionStyle;
using platform::CellStyle;
using platform::Label;
using platform::TableViewCell;
using platform::Value;
using platform::View;
using qelvo::testing::IndexPath;
using qelvo::testing::makeTable;
using qelvo::testing::Rect;
using qelvo::testing::RowsSource;

class TableViewCellTest : public qelvo::testing::UiScrollTest {};

// An app cell: its own class name and a label of its own in the content.
class CourseCell : public TableViewCell {
public:
    CourseCell() : TableViewCell(CellStyle::Subtitle, "courseCell") {
        textLabel()->setText("增值税");
        detailTextLabel()->setText("10 节课");
        auto extra = View::create<Label>();
        extra->setText("更多");
        contentView()->addSubview(extra);
        auto hidden = View::create<Label>();
        hidden->setText("隐藏");
        hidden->setHidden(true);
        contentView()->addSubview(hidden);
        auto play = View::create<platform::Button>();
        play->setTitle(std::string("播放"), platform::ControlStateNormal);
        contentView()->addSubview(play);
        setAccessoryType(CellAccessoryType::DisclosureIndicator);
    }
    std::string className() const override { return "CourseCell"; }
};

TEST_F(TableViewCellTest, TheScreenEntryJoinsTheVisibleLabelsAndNamesTheAccessoryAndTheRow) {
    auto loose = View::create<CourseCell>();
    Value entry = loose->screenEntry();
    EXPECT_EQ(entry["kind"], "cell");
    EXPECT_EQ(entry["text"], "增值税\n10 节课\n更多");  // not the hidden label, not the button's title
    EXPECT_EQ(entry["accessory"], "disclosure");
    EXPECT_FALSE(entry.contains("section"));

    auto source = std::make_shared<RowsSource>(std::vector<int>{1, 5});
    source->makeCell = [] { return View::create<CourseCell>(); };
    auto table = makeTable(source, Rect::make(0, 0, 320, 400));
    auto cell = table->cellForRowAtIndexPath(IndexPath{1, 3});
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->className(), "CourseCell");
    Value inTable = cell->screenEntry();
    EXPECT_EQ(inTable["text"], "Row 1.3\n10 节课\n更多");
    EXPECT_EQ(inTable["section"], 1);
    EXPECT_EQ(inTable["row"], 3);
}

TEST_F(TableViewCellTest, TheContentViewLeavesRoomForTheAccessoryAndTheDeleteControl) {
    auto cell = View::create<TableViewCell>(CellStyle::Value1, "cell");
    cell->setFrame(Rect::make(0, 0, 320, 44));
    EXPECT_EQ(cell->contentView()->frame(), Rect::make(0, 0, 320, 44));
    cell->setAccessoryType(CellAccessoryType::DisclosureIndicator);
    EXPECT_EQ(cell->contentView()->frame(), Rect::make(0, 0, 287, 44));
    EXPECT_EQ(cell->textLabel()->superview(), cell->contentView().get());

    cell->setEditing(true);
    ASSERT_NE(cell->editingControl(), nullptr);
    EXPECT_EQ(cell->editingControl()->superview(), cell.get());
    EXPECT_EQ(cell->contentView()->frame(), Rect::make(TableViewCell::kEditingControlWidth, 0,
                                                       320 - TableViewCell::kEditingControlWidth, 44));
    cell->setEditing(false);
    EXPECT_EQ(cell->editingControl(), nullptr);

    auto badge = View::create<View>(Rect::make(0, 0, 30, 20));
    cell->setAccessoryView(badge);
    EXPECT_EQ(badge->frame(), Rect::make(280, 12, 30, 20));
    EXPECT_EQ(cell->contentView()->frame().width(), 270);

    // The default style has no detail label.
    EXPECT_EQ(View::create<TableViewCell>()->detailTextLabel(), nullptr);
}

TEST_F(TableViewCellTest, SelectedAndHighlightedRowsShowTheSelectedBackgroundUnlessTheStyleIsNone) {
    auto cell = View::create<TableViewCell>(CellStyle::Default, "cell");
    cell->textLabel()->setText("课程");
    cell->setSelected(true);
    auto selectedBackground = cell->selectedBackgroundView();
    EXPECT_EQ(selectedBackground->superview(), cell.get());
    EXPECT_EQ(cell->subviews().front(), selectedBackground);  // behind the content
    EXPECT_TRUE(cell->textLabel()->isHighlighted());
    cell->setSelected(false);
    EXPECT_EQ(selectedBackground->superview(), nullptr);
    EXPECT_FALSE(cell->textLabel()->isHighlighted());

    cell->setSelectionStyle(CellSelectionStyle::None);
    cell->setHighlighted(true);
    EXPECT_TRUE(cell->isHighlighted());
    EXPECT_EQ(selectedBackground->superview(), nullptr);
    Value node;
    cell->describe(node);
    EXPECT_EQ(node["selectionStyle"], "none");
    EXPECT_EQ(node["highlighted"], true);
}

}  // namespace
