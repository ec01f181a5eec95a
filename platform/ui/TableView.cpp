#include "platform/ui/TableView.h"

#include "platform/foundation/Json.h"
#include "platform/ui/SwipeGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

constexpr double kPlainSectionSpacing = 22;
constexpr double kGroupedSectionSpacing = 10;
constexpr double kTitleMargin = 15;

// Clears a flag when the scope ends, however it ends.
struct FlagScope {
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

TableView::TableView(Rect frame, TableViewStyle style)
    : ScrollView(frame),
      style_(style),
      sectionHeaderHeight_(style == TableViewStyle::Plain ? kPlainSectionSpacing : kGroupedSectionSpacing),
      sectionFooterHeight_(style == TableViewStyle::Plain ? kPlainSectionSpacing : kGroupedSectionSpacing) {
    // A list follows a pull past its ends even when its rows fill less than its height.
    setAlwaysBounceVertical(true);
    setBackgroundColor(style == TableViewStyle::Plain ? Color::white() : Color::rgb255(239, 239, 244));
}

TableView::~TableView() = default;

std::shared_ptr<TableViewDelegate> TableView::delegate() const {
    return std::dynamic_pointer_cast<TableViewDelegate>(ScrollView::delegate());
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
    if (tableHeaderView_ && tableHeaderView_->superview() == this) {
        tableHeaderView_->removeFromSuperview();
    }
    tableHeaderView_ = std::move(view);
    if (tableHeaderView_) {
        addSubview(tableHeaderView_);
    }
    placeViews();
    layoutVisibleCells();
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
    if (tableFooterView_ && tableFooterView_->superview() == this) {
        tableFooterView_->removeFromSuperview();
    }
    tableFooterView_ = std::move(view);
    if (tableFooterView_) {
        addSubview(tableFooterView_);
    }
    placeViews();
    layoutVisibleCells();
}

void TableView::setBackgroundView(std::shared_ptr<View> view) {
    if (backgroundView_ && backgroundView_->superview() == this) {
        backgroundView_->removeFromSuperview();
    }
    backgroundView_ = std::move(view);
    if (backgroundView_) {
        insertSubview(backgroundView_, 0);
        backgroundView_->setFrame(bounds());
    }
}

// ---- Loading ----

void TableView::ensureLoaded() {
    if (!loaded_) {
        reloadData();
    }
}

void TableView::reloadData() {
    if (layingOut_) {
        return;  // asked from inside a data source call: the pass under way finishes it
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    loaded_ = true;
    hideDeleteConfirmation();
    if (selected_) {
        selected_.reset();
    }
    recycleAllCells();
    collectSections();
    placeViews();
    layoutVisibleCells();
}

void TableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths,
                                       TableViewRowAnimation /*animation*/) {
    if (!loaded_ || layingOut_) {
        reloadData();
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    for (const IndexPath& path : paths) {
        if (auto it = visible_.find(path); it != visible_.end()) {
            auto cell = it->second;
            visible_.erase(it);
            enqueue(cell);
        }
    }
    collectSections();
    placeViews();
    layoutVisibleCells();
}

void TableView::insertRowsAtIndexPaths(const std::vector<IndexPath>& /*paths*/,
                                       TableViewRowAnimation /*animation*/) {
    reloadData();
}

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& /*paths*/,
                                       TableViewRowAnimation /*animation*/) {
    reloadData();
}

int TableView::numberOfSections() {
    ensureLoaded();
    return static_cast<int>(sections_.size());
}

int TableView::numberOfRowsInSection(int section) {
    ensureLoaded();
    if (section < 0 || section >= static_cast<int>(sections_.size())) {
        return 0;
    }
    return sections_[static_cast<std::size_t>(section)].rows;
}

bool TableView::isValid(const IndexPath& path) const {
    return path.section >= 0 && path.section < static_cast<int>(sections_.size()) && path.row >= 0 &&
           path.row < sections_[static_cast<std::size_t>(path.section)].rows;
}

std::shared_ptr<View> TableView::makeTitleView(const std::string& title,
                                               std::shared_ptr<Label>& label) const {
    auto view = View::create<View>();
    view->setBackgroundColor(style_ == TableViewStyle::Plain ? Color::white(0.97) : Color::clear());
    label = View::create<Label>();
    label->setText(title);
    label->setBackgroundColor(Color::clear());
    if (style_ == TableViewStyle::Plain) {
        label->setFont(Font::boldSystemFont(17));
    } else {
        label->setFont(Font::systemFont(14));
        label->setTextColor(Color::white(0.43));
    }
    view->addSubview(label);
    return view;
}

void TableView::removeSectionViews() {
    for (Section& section : sections_) {
        for (const auto& view : {section.headerView, section.footerView}) {
            if (view && view->superview() == this) {
                view->removeFromSuperview();
            }
        }
    }
}

void TableView::collectSections() {
    FlagScope scope(layingOut_);
    removeSectionViews();
    sections_.clear();
    auto source = dataSource();
    auto watcher = delegate();
    int count = source ? std::max(0, source->numberOfSectionsInTableView(*this)) : 0;
    sections_.resize(static_cast<std::size_t>(count));
    for (int s = 0; s < count; ++s) {
        Section& section = sections_[static_cast<std::size_t>(s)];
        section.rows = std::max(0, source->numberOfRowsInSection(*this, s));
        for (int row = 0; row < section.rows; ++row) {
            std::optional<double> height;
            if (watcher) {
                height = watcher->heightForRowAtIndexPath(*this, IndexPath{s, row});
            }
            section.rowHeights.push_back(std::max(0.0, height.value_or(rowHeight_)));
        }
        section.rowTops.resize(section.rowHeights.size());

        section.headerView = watcher ? watcher->viewForHeaderInSection(*this, s) : nullptr;
        if (!section.headerView) {
            if (auto title = source->titleForHeaderInSection(*this, s)) {
                section.headerView = makeTitleView(*title, section.headerTitle);
            }
        }
        section.footerView = watcher ? watcher->viewForFooterInSection(*this, s) : nullptr;
        if (!section.footerView) {
            if (auto title = source->titleForFooterInSection(*this, s)) {
                section.footerView = makeTitleView(*title, section.footerTitle);
            }
        }
        // A plain list has no gap where a section has nothing to show above or
        // below it; a grouped one keeps its gaps between sections.
        bool grouped = style_ == TableViewStyle::Grouped;
        std::optional<double> header = watcher ? watcher->heightForHeaderInSection(*this, s) : std::nullopt;
        std::optional<double> footer = watcher ? watcher->heightForFooterInSection(*this, s) : std::nullopt;
        section.headerHeight =
            std::max(0.0, header.value_or(section.headerView || grouped ? sectionHeaderHeight_ : 0.0));
        section.footerHeight =
            std::max(0.0, footer.value_or(section.footerView || grouped ? sectionFooterHeight_ : 0.0));
        for (const auto& view : {section.headerView, section.footerView}) {
            if (view) {
                addSubview(view);
            }
        }
    }
}

// Positions the table header, the sections and the table footer from the top, and
// makes the content as high as all of them.
void TableView::placeViews() {
    double width = frame().width();
    double y = 0;
    if (tableHeaderView_) {
        double height = tableHeaderView_->frame().height();
        tableHeaderView_->setFrame(Rect::make(0, 0, width, height));
        y = height;
    }
    for (Section& section : sections_) {
        section.top = y;
        if (section.headerView) {
            section.headerView->setFrame(Rect::make(0, y, width, section.headerHeight));
        }
        if (section.headerTitle) {
            section.headerTitle->setFrame(
                Rect::make(kTitleMargin, 0, std::max(0.0, width - 2 * kTitleMargin), section.headerHeight));
        }
        y += section.headerHeight;
        for (std::size_t row = 0; row < section.rowHeights.size(); ++row) {
            section.rowTops[row] = y;
            y += section.rowHeights[row];
        }
        if (section.footerView) {
            section.footerView->setFrame(Rect::make(0, y, width, section.footerHeight));
        }
        if (section.footerTitle) {
            section.footerTitle->setFrame(
                Rect::make(kTitleMargin, 0, std::max(0.0, width - 2 * kTitleMargin), section.footerHeight));
        }
        y += section.footerHeight;
        section.bottom = y;
    }
    if (tableFooterView_) {
        double height = tableFooterView_->frame().height();
        tableFooterView_->setFrame(Rect::make(0, y, width, height));
        y += height;
    }
    setContentSize(Size{width, y});
}

// ---- Cells in view ----

void TableView::layoutVisibleCells() {
    if (!loaded_ || layingOut_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    FlagScope scope(layingOut_);
    Rect visible = bounds();
    double width = frame().width();
    std::map<IndexPath, Rect> wanted;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (section.bottom <= visible.minY() || section.top >= visible.maxY()) {
            continue;
        }
        // Rows are laid out top to bottom, so the first row that can show is the last
        // one starting at or above the visible top; a scroll step costs the rows on
        // screen, not the rows of the list.
        auto first = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), visible.minY());
        std::size_t from = first == section.rowTops.begin()
                               ? 0
                               : static_cast<std::size_t>(first - section.rowTops.begin()) - 1;
        for (std::size_t row = from; row < section.rowHeights.size(); ++row) {
            if (section.rowTops[row] >= visible.maxY()) {
                break;
            }
            Rect rect = Rect::make(0, section.rowTops[row], width, section.rowHeights[row]);
            if (rect.height() > 0 && rect.intersects(visible)) {
                wanted.emplace(IndexPath{static_cast<int>(s), static_cast<int>(row)}, rect);
            }
        }
    }
    for (auto it = visible_.begin(); it != visible_.end();) {
        if (wanted.count(it->first) == 0) {
            auto cell = it->second;
            it = visible_.erase(it);
            enqueue(cell);
        } else {
            ++it;
        }
    }
    for (const auto& [path, rect] : wanted) {
        if (auto it = visible_.find(path); it != visible_.end()) {
            it->second->setFrame(rect);
        } else {
            showCell(path, rect);
        }
    }
}

void TableView::showCell(const IndexPath& path, Rect rect) {
    auto source = dataSource();
    if (!source) {
        return;
    }
    auto cell = source->cellForRowAtIndexPath(*this, path);
    if (!cell || cell->indexPathInTable()) {
        return;  // no cell, or one that already shows another row
    }
    // A cell the data source made itself may still sit in a queue.
    for (auto& [identifier, queue] : reuseQueues_) {
        queue.erase(std::remove(queue.begin(), queue.end(), cell), queue.end());
    }
    cell->setFrame(rect);
    insertCellInOrder(cell, path);
    visible_[path] = cell;
    configureCell(*cell, path);
    if (auto watcher = delegate()) {
        watcher->willDisplayCell(*this, *cell, path);
    }
}

// Cells stay in row order among the subviews, behind the section and table views.
void TableView::insertCellInOrder(const std::shared_ptr<TableViewCell>& cell, const IndexPath& path) {
    auto next = visible_.lower_bound(path);
    if (next != visible_.end() && next->second->superview() == this) {
        insertSubviewBelow(cell, *next->second);
    } else if (next != visible_.begin() && std::prev(next)->second->superview() == this) {
        insertSubviewAbove(cell, *std::prev(next)->second);
    } else if (backgroundView_ && backgroundView_->superview() == this) {
        insertSubviewAbove(cell, *backgroundView_);
    } else {
        insertSubview(cell, 0);
    }
}

void TableView::configureCell(TableViewCell& cell, const IndexPath& path) {
    cell.setIndexPathInTable(path);
    bool deletable = editing_ && canDeleteRowAtIndexPath(path);
    cell.setEditingStyle(deletable ? CellEditingStyle::Delete : CellEditingStyle::None);
    cell.setEditing(editing_, false);
    if (const auto& control = cell.editingControl()) {
        control->removeTarget(this);
        std::weak_ptr<View> weakTable = weak_from_this();
        std::weak_ptr<View> weakCell = cell.weak_from_this();
        control->addAction(
            [weakTable, weakCell](Control&) {
                auto table = weakTable.lock();
                auto shown = weakCell.lock();
                if (table && shown) {
                    static_cast<TableView&>(*table).toggleDeleteConfirmation(
                        static_cast<TableViewCell&>(*shown));
                }
            },
            TouchUpInside, this);
    }
    cell.setSelected(selected_ == path, false);
    if (deleteConfirmation_ == path) {
        auto watcher = delegate();
        std::optional<std::string> title;
        if (watcher) {
            title = watcher->titleForDeleteConfirmationButtonForRowAtIndexPath(*this, path);
        }
        cell.showDeleteConfirmation(title.value_or(TableViewCell::kDeleteTitle));
        cell.deleteConfirmationButton()->removeTarget(this);
        std::weak_ptr<View> weakTable = weak_from_this();
        cell.deleteConfirmationButton()->addAction(
            [weakTable](Control&) {
                if (auto table = weakTable.lock()) {
                    static_cast<TableView&>(*table).commitDeleteConfirmation();
                }
            },
            TouchUpInside, this);
    } else {
        cell.hideDeleteConfirmation();
    }
}

void TableView::enqueue(const std::shared_ptr<TableViewCell>& cell) {
    cell->hideDeleteConfirmation();
    cell->setHighlighted(false, false);
    cell->setSelected(false, false);
    cell->setIndexPathInTable(std::nullopt);
    cell->removeFromSuperview();
    cell->prepareForReuse();
    if (!cell->reuseIdentifier().empty()) {
        reuseQueues_[cell->reuseIdentifier()].push_back(cell);
    }
}

void TableView::recycleAllCells() {
    auto cells = std::move(visible_);
    visible_.clear();
    for (const auto& [path, cell] : cells) {
        enqueue(cell);
    }
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
    auto it = reuseQueues_.find(identifier);
    if (it == reuseQueues_.end() || it->second.empty()) {
        return nullptr;
    }
    auto cell = it->second.back();
    it->second.pop_back();
    return cell;
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const {
    std::vector<std::shared_ptr<TableViewCell>> cells;
    for (const auto& [path, cell] : visible_) {
        cells.push_back(cell);
    }
    return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const {
    std::vector<IndexPath> paths;
    for (const auto& [path, cell] : visible_) {
        paths.push_back(path);
    }
    return paths;
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(const IndexPath& path) const {
    auto it = visible_.find(path);
    return it == visible_.end() ? nullptr : it->second;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const {
    auto path = cell.indexPathInTable();
    if (path && cellForRowAtIndexPath(*path).get() == &cell) {
        return path;
    }
    return std::nullopt;
}

Rect TableView::rectForRowAtIndexPath(const IndexPath& path) const {
    if (!isValid(path)) {
        return Rect{};
    }
    const Section& section = sections_[static_cast<std::size_t>(path.section)];
    auto row = static_cast<std::size_t>(path.row);
    return Rect::make(0, section.rowTops[row], frame().width(), section.rowHeights[row]);
}

Rect TableView::rectForHeaderInSection(int section) const {
    if (section < 0 || section >= static_cast<int>(sections_.size())) {
        return Rect{};
    }
    const Section& s = sections_[static_cast<std::size_t>(section)];
    return Rect::make(0, s.top, frame().width(), s.headerHeight);
}

Rect TableView::rectForFooterInSection(int section) const {
    if (section < 0 || section >= static_cast<int>(sections_.size())) {
        return Rect{};
    }
    const Section& s = sections_[static_cast<std::size_t>(section)];
    return Rect::make(0, s.bottom - s.footerHeight, frame().width(), s.footerHeight);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point point) const {
    if (point.x < 0 || point.x >= frame().width()) {
        return std::nullopt;
    }
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const Section& section = sections_[s];
        if (point.y < section.top || point.y >= section.bottom) {
            continue;
        }
        for (std::size_t row = 0; row < section.rowHeights.size(); ++row) {
            double top = section.rowTops[row];
            if (point.y >= top && point.y < top + section.rowHeights[row]) {
                return IndexPath{static_cast<int>(s), static_cast<int>(row)};
            }
        }
    }
    return std::nullopt;
}

void TableView::scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position,
                                       bool animated) {
    ensureLoaded();
    Rect row = rectForRowAtIndexPath(path);
    if (!isValid(path)) {
        return;
    }
    EdgeInsets inset = contentInset();
    double height = frame().height();
    double top = contentOffset().y + inset.top;
    double bottom = contentOffset().y + height - inset.bottom;
    if (position == TableViewScrollPosition::None) {
        if (row.minY() >= top && row.maxY() <= bottom) {
            return;
        }
        position = row.minY() < top ? TableViewScrollPosition::Top : TableViewScrollPosition::Bottom;
    }
    double y = 0;
    switch (position) {
        case TableViewScrollPosition::Middle:
            y = row.midY() - (height - inset.top - inset.bottom) / 2 - inset.top;
            break;
        case TableViewScrollPosition::Bottom: y = row.maxY() - height + inset.bottom; break;
        case TableViewScrollPosition::Top:
        case TableViewScrollPosition::None: y = row.minY() - inset.top; break;
    }
    y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
    setContentOffset(Point{contentOffset().x, y}, animated);
}

// ---- Selection ----

void TableView::selectRowAtIndexPath(std::optional<IndexPath> path, bool animated,
                                     TableViewScrollPosition position) {
    ensureLoaded();
    if (selected_) {
        deselectRowAtIndexPath(*selected_, animated);
    }
    if (!path || !isValid(*path)) {
        return;
    }
    selected_ = path;
    if (auto cell = cellForRowAtIndexPath(*path)) {
        cell->setSelected(true, animated);
    }
    if (position != TableViewScrollPosition::None) {
        scrollToRowAtIndexPath(*path, position, animated);
    }
}

void TableView::deselectRowAtIndexPath(const IndexPath& path, bool animated) {
    if (selected_ != path) {
        return;
    }
    selected_.reset();
    if (auto cell = cellForRowAtIndexPath(path)) {
        cell->setSelected(false, animated);
    }
}

bool TableView::canSelectByTouch() const {
    return allowsSelection_ && (!editing_ || allowsSelectionDuringEditing_);
}

void TableView::selectByTouch(const IndexPath& path) {
    if (!canSelectByTouch() || !isValid(path)) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    std::optional<IndexPath> target = path;
    if (auto watcher = delegate()) {
        target = watcher->willSelectRowAtIndexPath(*this, path);
    }
    if (!target || !isValid(*target)) {
        return;
    }
    if (selected_ && *selected_ != *target) {
        IndexPath old = *selected_;
        deselectRowAtIndexPath(old, false);
        if (auto watcher = delegate()) {
            watcher->didDeselectRowAtIndexPath(*this, old);
        }
    }
    selected_ = target;
    if (auto cell = cellForRowAtIndexPath(*target)) {
        cell->setSelected(true, false);
    }
    if (auto watcher = delegate()) {
        watcher->didSelectRowAtIndexPath(*this, *target);
    }
}

void TableView::setCellHighlighted(const std::optional<IndexPath>& path, bool highlighted) {
    if (!path) {
        return;
    }
    auto cell = cellForRowAtIndexPath(*path);
    if (cell && (!highlighted || cell->selectionStyle() != CellSelectionStyle::None)) {
        cell->setHighlighted(highlighted, false);
    }
}

// ---- Editing and deletion ----

void TableView::setEditing(bool editing, bool /*animated*/) {
    editing_ = editing;
    hideDeleteConfirmation();
    for (const auto& [path, cell] : visible_) {
        configureCell(*cell, path);
    }
}

bool TableView::canDeleteRowAtIndexPath(const IndexPath& path) {
    ensureLoaded();
    if (!isValid(path)) {
        return false;
    }
    auto source = dataSource();
    if (!source || !dynamic_cast<TableViewEditingDataSource*>(source.get())) {
        return false;
    }
    if (!source->canEditRowAtIndexPath(*this, path)) {
        return false;
    }
    auto watcher = delegate();
    CellEditingStyle style =
        watcher ? watcher->editingStyleForRowAtIndexPath(*this, path) : CellEditingStyle::Delete;
    return style == CellEditingStyle::Delete;
}

bool TableView::swipeToDelete(const IndexPath& path) {
    if (editing_ || !canDeleteRowAtIndexPath(path)) {
        return false;
    }
    showDeleteConfirmation(path);
    return true;
}

void TableView::showDeleteConfirmation(const IndexPath& path) {
    hideDeleteConfirmation();
    deleteConfirmation_ = path;
    if (auto cell = cellForRowAtIndexPath(path)) {
        configureCell(*cell, path);
    }
}

void TableView::hideDeleteConfirmation() {
    if (!deleteConfirmation_) {
        return;
    }
    IndexPath path = *deleteConfirmation_;
    deleteConfirmation_.reset();
    if (auto cell = cellForRowAtIndexPath(path)) {
        cell->hideDeleteConfirmation();
    }
}

void TableView::toggleDeleteConfirmation(const TableViewCell& cell) {
    auto path = indexPathForCell(cell);
    if (!path) {
        return;
    }
    if (deleteConfirmation_ == path) {
        hideDeleteConfirmation();
    } else if (canDeleteRowAtIndexPath(*path)) {
        showDeleteConfirmation(*path);
    }
}

void TableView::commitDeleteConfirmation() {
    if (!deleteConfirmation_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    IndexPath path = *deleteConfirmation_;
    hideDeleteConfirmation();
    auto source = dataSource();
    if (auto* editing = dynamic_cast<TableViewEditingDataSource*>(source.get())) {
        editing->commitEditingStyle(*this, CellEditingStyle::Delete, path);
    }
}

// ---- Scrolling, layout, touches ----

void TableView::contentOffsetDidChange() {
    if (backgroundView_) {
        backgroundView_->setFrame(bounds());
    }
    layoutVisibleCells();
}

void TableView::contentWillBeginDragging() {
    hideDeleteConfirmation();
    setCellHighlighted(touchPath_, false);
}

void TableView::setFrame(Rect frame) {
    Size old = this->frame().size;
    ScrollView::setFrame(frame);
    if (backgroundView_) {
        backgroundView_->setFrame(bounds());
    }
    if (loaded_ && old != frame.size) {
        placeViews();
        layoutVisibleCells();
    }
}

void TableView::layoutSubviews() {
    ensureLoaded();
    placeViews();
    layoutVisibleCells();
}

void TableView::touchesBegan(const Touch& touch) {
    // A touch anywhere but on the confirmation itself closes it, and does no more.
    bool closed = deleteConfirmation_.has_value();
    hideDeleteConfirmation();
    ScrollView::touchesBegan(touch);
    touchPath_.reset();
    swipePath_.reset();
    touchConsumed_ = closed || touchStoppedScrolling();
    if (touchConsumed_) {
        return;
    }
    touchPath_ = indexPathForRowAtPoint(touch.locationIn(*this));
    if (canSelectByTouch()) {
        setCellHighlighted(touchPath_, true);
    }
}

void TableView::touchesMoved(const Touch& touch) {
    if (touchMode() == TouchMode::Pending && !editing_) {
        Point start = touchAtStart().location;
        double dx = touch.location.x - start.x;
        double dy = touch.location.y - start.y;
        if (std::hypot(dx, dy) >= kDragThreshold && dx < 0 && std::fabs(dx) > std::fabs(dy)) {
            auto path = indexPathForRowAtPoint(touchAtStart().locationIn(*this));
            if (path && canDeleteRowAtIndexPath(*path)) {
                claimTouch();
                setCellHighlighted(touchPath_, false);
                swipePath_ = path;
                return;
            }
        }
    }
    ScrollView::touchesMoved(touch);
    if (touchMode() != TouchMode::Pending) {
        setCellHighlighted(touchPath_, false);
    }
}

void TableView::touchesEnded(const Touch& touch) {
    std::shared_ptr<View> keep = weak_from_this().lock();
    TouchMode mode = touchMode();
    Point start = touchAtStart().location;
    auto path = touchPath_;
    auto swipe = swipePath_;
    bool consumed = touchConsumed_;
    touchPath_.reset();
    swipePath_.reset();
    setCellHighlighted(path, false);
    ScrollView::touchesEnded(touch);
    if (mode == TouchMode::Claimed && swipe) {
        if (SwipeGestureRecognizer::directionOfStroke(start, touch.location) == SwipeDirectionLeft) {
            swipeToDelete(*swipe);
        }
    } else if (mode == TouchMode::Pending && !consumed && path) {
        selectByTouch(*path);
    }
}

void TableView::touchesCancelled(const Touch& touch) {
    setCellHighlighted(touchPath_, false);
    touchPath_.reset();
    swipePath_.reset();
    ScrollView::touchesCancelled(touch);
}

void TableView::describe(Value& node) const {
    ScrollView::describe(node);
    node["style"] = style_ == TableViewStyle::Plain ? "plain" : "grouped";
    node["rowHeight"] = rowHeight_;
    Value rows = Value::array();
    for (const Section& section : sections_) {
        rows.push_back(section.rows);
    }
    node["rows"] = rows;
    node["separatorStyle"] = separatorStyle_ == TableViewCellSeparatorStyle::None ? "none" : "line";
    node["separatorColor"] = separatorColor_.css();
    if (editing_) {
        node["editing"] = true;
    }
    if (selected_) {
        node["selectedRow"] = {selected_->section, selected_->row};
    }
}

}  // namespace platform
