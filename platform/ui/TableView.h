#pragma once

#include "platform/ui/IndexPath.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/TableViewDelegate.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class TableViewStyle { Plain, Grouped };
enum class TableViewCellSeparatorStyle { None, SingleLine, SingleLineEtched };
enum class TableViewRowAnimation { Fade, Right, Left, Top, Bottom, None, Middle, Automatic };
enum class TableViewScrollPosition { None, Top, Middle, Bottom };

// A vertical list of rows in sections, between an optional table header view and
// table footer view. Only the rows in view have cells; a cell that scrolls out goes
// to the reuse queue of its identifier, where the data source finds it again.
class TableView : public ScrollView {
public:
    static constexpr double kDefaultRowHeight = 44;

    explicit TableView(Rect frame = Rect{}, TableViewStyle style = TableViewStyle::Plain);
    ~TableView() override;
    std::string className() const override { return "TableView"; }

    TableViewStyle style() const { return style_; }
    std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
    void setDataSource(std::weak_ptr<TableViewDataSource> dataSource) { dataSource_ = std::move(dataSource); }
    // The table's delegate is also its scroll view delegate.
    std::shared_ptr<TableViewDelegate> delegate() const;
    void setDelegate(const std::weak_ptr<TableViewDelegate>& delegate) { ScrollView::setDelegate(delegate); }

    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height) { rowHeight_ = height; }
    double sectionHeaderHeight() const { return sectionHeaderHeight_; }
    void setSectionHeaderHeight(double height) { sectionHeaderHeight_ = height; }
    double sectionFooterHeight() const { return sectionFooterHeight_; }
    void setSectionFooterHeight(double height) { sectionFooterHeight_ = height; }
    const std::shared_ptr<View>& tableHeaderView() const { return tableHeaderView_; }
    // Above the first section, as high as its frame; nullptr removes it.
    void setTableHeaderView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& tableFooterView() const { return tableFooterView_; }
    // Below the last section, as high as its frame; nullptr removes it.
    void setTableFooterView(std::shared_ptr<View> view);
    TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(TableViewCellSeparatorStyle style) { separatorStyle_ = style; }
    Color separatorColor() const { return separatorColor_; }
    void setSeparatorColor(Color color) { separatorColor_ = color; }
    const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
    // Behind every row, filling the visible area.
    void setBackgroundView(std::shared_ptr<View> view);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
    bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
    void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }

    // Asks the data source and delegate again for everything and shows the rows in
    // view; the selection and any delete confirmation go.
    void reloadData();
    void reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    void insertRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    void deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation);
    int numberOfSections();
    int numberOfRowsInSection(int section);

    // A cell waiting for reuse under that identifier, or nullptr.
    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
    template <typename T>
    std::shared_ptr<T> dequeueReusableCell(const std::string& identifier) {
        return std::dynamic_pointer_cast<T>(dequeueReusableCellWithIdentifier(identifier));
    }

    // The cells in view, in row order.
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleRows() const;
    // The cell of a row in view, else nullptr.
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(const IndexPath& path) const;
    std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;
    // Rectangles in content coordinates; empty for rows or sections that do not exist.
    Rect rectForRowAtIndexPath(const IndexPath& path) const;
    Rect rectForHeaderInSection(int section) const;
    Rect rectForFooterInSection(int section) const;
    // The row at a point in the table's coordinates (content coordinates).
    std::optional<IndexPath> indexPathForRowAtPoint(Point point) const;
    void scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position, bool animated);

    // Selection as the program sets it: the delegate hears nothing.
    void selectRowAtIndexPath(std::optional<IndexPath> path, bool animated, TableViewScrollPosition position);
    void deselectRowAtIndexPath(const IndexPath& path, bool animated);
    std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }

    bool isEditing() const { return editing_; }
    // In editing mode every deletable row shows a delete control at its left.
    void setEditing(bool editing, bool animated = false);
    // Whether the row offers deletion: the data source commits edits, does not refuse
    // the row, and the delegate's editing style for it is delete.
    bool canDeleteRowAtIndexPath(const IndexPath& path);
    // Swipe-to-delete: shows the delete confirmation on the row (outside editing mode);
    // false when the row offers no deletion.
    bool swipeToDelete(const IndexPath& path);
    // The row showing its delete confirmation, if any.
    std::optional<IndexPath> deleteConfirmationIndexPath() const { return deleteConfirmation_; }
    void hideDeleteConfirmation();

    void setFrame(Rect frame) override;
    void layoutSubviews() override;
    void touchesBegan(const Touch& touch) override;
    void touchesMoved(const Touch& touch) override;
    void touchesEnded(const Touch& touch) override;
    void touchesCancelled(const Touch& touch) override;
    void describe(Value& node) const override;

protected:
    void contentOffsetDidChange() override;
    void contentWillBeginDragging() override;

private:
    struct Section {
        int rows = 0;
        double top = 0;
        double bottom = 0;
        double headerHeight = 0;
        double footerHeight = 0;
        std::vector<double> rowTops;
        std::vector<double> rowHeights;
        std::shared_ptr<View> headerView;
        std::shared_ptr<View> footerView;
        std::shared_ptr<Label> headerTitle;  // inside headerView when made from a title
        std::shared_ptr<Label> footerTitle;
    };

    void ensureLoaded();
    bool isValid(const IndexPath& path) const;
    void collectSections();
    std::shared_ptr<View> makeTitleView(const std::string& title, std::shared_ptr<Label>& label) const;
    void removeSectionViews();
    void placeViews();
    void layoutVisibleCells();
    void showCell(const IndexPath& path, Rect rect);
    void insertCellInOrder(const std::shared_ptr<TableViewCell>& cell, const IndexPath& path);
    void configureCell(TableViewCell& cell, const IndexPath& path);
    void enqueue(const std::shared_ptr<TableViewCell>& cell);
    void recycleAllCells();
    void showDeleteConfirmation(const IndexPath& path);
    void commitDeleteConfirmation();
    void toggleDeleteConfirmation(const TableViewCell& cell);
    bool canSelectByTouch() const;
    void selectByTouch(const IndexPath& path);
    void setCellHighlighted(const std::optional<IndexPath>& path, bool highlighted);

    TableViewStyle style_;
    std::weak_ptr<TableViewDataSource> dataSource_;
    double rowHeight_ = kDefaultRowHeight;
    double sectionHeaderHeight_;
    double sectionFooterHeight_;
    std::shared_ptr<View> tableHeaderView_;
    std::shared_ptr<View> tableFooterView_;
    TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
    Color separatorColor_ = Color::rgb255(200, 199, 204);
    std::shared_ptr<View> backgroundView_;
    bool allowsSelection_ = true;
    bool allowsSelectionDuringEditing_ = false;

    bool loaded_ = false;
    bool layingOut_ = false;
    std::vector<Section> sections_;
    std::map<IndexPath, std::shared_ptr<TableViewCell>> visible_;
    std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> reuseQueues_;
    std::optional<IndexPath> selected_;
    bool editing_ = false;
    std::optional<IndexPath> deleteConfirmation_;

    // The touch being followed: the row it went down on, whether it only closed a
    // delete confirmation, and the row of a swipe to the left.
    std::optional<IndexPath> touchPath_;
    bool touchConsumed_ = false;
    std::optional<IndexPath> swipePath_;
};

}  // namespace platform
