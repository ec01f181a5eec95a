#include "platform/ui/ScrollView.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// Offsets this close to a page boundary count as on it.
constexpr double kPageEpsilon = 1e-6;

double nowSeconds() {
    return RunLoop::main().secondsSince(Clock::TimePoint{});
}

// The page a paged axis settles on: the next one in the direction the content moves
// at release, else the nearest, never more than one page from where the drag began.
double pageOffset(double offset, double startOffset, double pageSize, double contentVelocity) {
    double position = offset / pageSize;
    double page = 0;
    if (contentVelocity > 0) {
        page = std::ceil(position - kPageEpsilon);
    } else if (contentVelocity < 0) {
        page = std::floor(position + kPageEpsilon);
    } else {
        page = std::round(position);
    }
    double startPage = std::round(startOffset / pageSize);
    page = std::clamp(page, startPage - 1, startPage + 1);
    return page * pageSize;
}

ScrollView* findScrollView(View& view, Point windowPoint, Point movement) {
    if (view.isHidden() || view.alpha() < 0.01 || !view.isUserInteractionEnabled() ||
        !view.frameInWindow().contains(windowPoint)) {
        return nullptr;
    }
    const auto& children = view.subviews();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (auto* found = findScrollView(**it, windowPoint, movement)) {
            return found;
        }
    }
    auto* scroll = dynamic_cast<ScrollView*>(&view);
    if (!scroll || !scroll->isScrollEnabled()) {
        return nullptr;
    }
    if (movement == Point{}) {
        return scroll;
    }
    bool horizontal = std::fabs(movement.x) > std::fabs(movement.y);
    bool can = horizontal ? scroll->canScrollHorizontally() : scroll->canScrollVertically();
    return can ? scroll : nullptr;
}

}  // namespace

ScrollView::ScrollView(Rect frame) : View(frame), pan_(std::make_shared<PanGestureRecognizer>()) {
    setClipsToBounds(true);
    pan_->attachTo(this);
}

ScrollView::~ScrollView() {
    decelerationTimer_.cancel();
    scrollAnimationTimer_.cancel();
    pan_->attachTo(nullptr);
}

// Written as 0 - inset so that no inset gives 0, not -0, in offsets and the tree.
Point ScrollView::minimumContentOffset() const {
    return Point{0.0 - contentInset_.left, 0.0 - contentInset_.top};
}

Point ScrollView::maximumContentOffset() const {
    Size size = frame().size;
    Point low = minimumContentOffset();
    return Point{std::max(contentSize_.width + contentInset_.right - size.width, low.x),
                 std::max(contentSize_.height + contentInset_.bottom - size.height, low.y)};
}

Point ScrollView::clampedOffset(Point offset) const {
    Point low = minimumContentOffset();
    Point high = maximumContentOffset();
    return Point{std::clamp(offset.x, low.x, high.x), std::clamp(offset.y, low.y, high.y)};
}

bool ScrollView::isOutOfRange(Point offset) const {
    return clampedOffset(offset) != offset;
}

bool ScrollView::canScrollHorizontally() const {
    return maximumContentOffset().x > minimumContentOffset().x || (bounces_ && alwaysBounceHorizontal_);
}

bool ScrollView::canScrollVertically() const {
    return maximumContentOffset().y > minimumContentOffset().y || (bounces_ && alwaysBounceVertical_);
}

bool ScrollView::isBusyScrolling() const {
    return dragging_ || decelerating_ || settlePending_;
}

void ScrollView::changeOffset(Point offset) {
    if (offset == contentOffset()) {
        return;
    }
    // The delegate may let go of this view while it hears of the change.
    std::shared_ptr<View> keep = weak_from_this().lock();
    setBoundsOrigin(offset);
    contentOffsetDidChange();
    if (auto watcher = delegate()) {
        watcher->scrollViewDidScroll(*this);
    }
}

void ScrollView::setContentOffset(Point offset, bool animated) {
    Point before = contentOffset();
    changeOffset(offset);
    if (!animated || contentOffset() == before) {
        return;
    }
    scrollAnimationTimer_.cancel();
    std::weak_ptr<View> weak = weak_from_this();
    scrollAnimationTimer_ = RunLoop::main().schedule(kScrollAnimationDuration, [weak] {
        auto view = weak.lock();
        if (!view) {
            return;
        }
        auto& self = static_cast<ScrollView&>(*view);
        if (auto watcher = self.delegate()) {
            watcher->scrollViewDidEndScrollingAnimation(self);
        }
    });
}

void ScrollView::setContentSize(Size size) {
    contentSize_ = size;
    if (isBusyScrolling()) {
        return;
    }
    // Content that shrank under the offset pulls the offset back to its new end; a
    // pull past the top stays where the screen put it.
    Point offset = contentOffset();
    Point high = maximumContentOffset();
    changeOffset(Point{std::min(offset.x, high.x), std::min(offset.y, high.y)});
}

void ScrollView::setContentInset(EdgeInsets inset) {
    contentInset_ = inset;
    if (!isBusyScrolling()) {
        changeOffset(clampedOffset(contentOffset()));
    }
}

void ScrollView::scrollRectToVisible(Rect rect, bool animated) {
    Rect visible = bounds();
    Point target = visible.origin;
    if (rect.maxX() > visible.maxX()) {
        target.x = rect.maxX() - visible.width();
    }
    if (rect.minX() < target.x) {
        target.x = rect.minX();
    }
    if (rect.maxY() > visible.maxY()) {
        target.y = rect.maxY() - visible.height();
    }
    if (rect.minY() < target.y) {
        target.y = rect.minY();
    }
    setContentOffset(clampedOffset(target), animated);
}

Touch ScrollView::dragTouch(Point location) const {
    Touch touch;
    touch.phase = TouchPhase::Moved;
    touch.location = location;
    touch.previousLocation = lastDragTouch_;
    touch.startLocation = dragStartTouch_;
    touch.timestamp = nowSeconds();
    touch.startTimestamp = dragStartTime_;
    touch.view = std::const_pointer_cast<View>(weak_from_this().lock());
    return touch;
}

bool ScrollView::beginDragging(Point touchInWindow) {
    if (!scrollEnabled_ || dragging_) {
        return false;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    // A finger on moving content stops it where it is.
    stopDeceleration();
    contentWillBeginDragging();
    dragging_ = true;
    tracking_ = true;
    dragStartTouch_ = touchInWindow;
    lastDragTouch_ = touchInWindow;
    dragStartOffset_ = contentOffset();
    dragStartTime_ = nowSeconds();
    if (auto watcher = delegate()) {
        watcher->scrollViewWillBeginDragging(*this);
    }
    Touch touch = dragTouch(touchInWindow);
    touch.phase = TouchPhase::Began;
    pan_->drive(GestureState::Began, touch);
    return true;
}

void ScrollView::dragTo(Point touchInWindow) {
    if (!dragging_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    Point target = contentOffset();
    if (canScrollHorizontally()) {
        target.x = dragStartOffset_.x - (touchInWindow.x - dragStartTouch_.x);
    }
    if (canScrollVertically()) {
        target.y = dragStartOffset_.y - (touchInWindow.y - dragStartTouch_.y);
    }
    if (!bounces_) {
        target = clampedOffset(target);
    }
    Touch touch = dragTouch(touchInWindow);
    lastDragTouch_ = touchInWindow;
    changeOffset(target);
    if (dragging_) {
        pan_->drive(GestureState::Changed, touch);
    }
}

std::optional<Point> ScrollView::pageTarget(Point velocity) const {
    if (!pagingEnabled_) {
        return std::nullopt;
    }
    Point offset = contentOffset();
    Size page = frame().size;
    Point target = offset;
    if (canScrollHorizontally() && page.width > 0) {
        target.x = pageOffset(offset.x, dragStartOffset_.x, page.width, -velocity.x);
    }
    if (canScrollVertically() && page.height > 0) {
        target.y = pageOffset(offset.y, dragStartOffset_.y, page.height, -velocity.y);
    }
    return target;
}

void ScrollView::endDragging(Point velocity) {
    if (!dragging_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    Point offset = contentOffset();
    bool moving = (canScrollHorizontally() && velocity.x != 0) || (canScrollVertically() && velocity.y != 0);
    settleTarget_ = pageTarget(velocity);
    bool toPage = settleTarget_ && clampedOffset(*settleTarget_) != offset;
    bool willDecelerate = moving || isOutOfRange(offset) || toPage;

    dragging_ = false;
    tracking_ = false;
    // Until the deceleration starts, insets that the delegate changes must not move
    // the content: it settles into the range as it is when the deceleration ends.
    settlePending_ = willDecelerate;
    if (auto watcher = delegate()) {
        watcher->scrollViewDidEndDragging(*this, willDecelerate);
    }
    if (willDecelerate && settlePending_) {
        settlePending_ = false;
        decelerating_ = true;
        if (auto watcher = delegate()) {
            watcher->scrollViewWillBeginDecelerating(*this);
        }
        std::weak_ptr<View> weak = weak_from_this();
        decelerationTimer_ = RunLoop::main().schedule(kDecelerationDuration, [weak] {
            if (auto view = weak.lock()) {
                static_cast<ScrollView&>(*view).settle();
            }
        });
    } else if (!willDecelerate) {
        settleTarget_.reset();
    }
    Touch touch = dragTouch(lastDragTouch_);
    touch.phase = TouchPhase::Ended;
    pan_->drive(GestureState::Ended, touch);
}

void ScrollView::settle() {
    if (!decelerating_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    Point target = settleTarget_.value_or(contentOffset());
    settleTarget_.reset();
    changeOffset(clampedOffset(target));
    decelerating_ = false;
    if (auto watcher = delegate()) {
        watcher->scrollViewDidEndDecelerating(*this);
    }
}

void ScrollView::stopDeceleration() {
    decelerationTimer_.cancel();
    decelerating_ = false;
    settlePending_ = false;
    settleTarget_.reset();
}

void ScrollView::touchesBegan(const Touch& touch) {
    touchStart_ = touch;
    touchMode_ = TouchMode::Pending;
    tracking_ = true;
    touchStoppedScrolling_ = decelerating_ || settlePending_;
    stopDeceleration();
}

void ScrollView::touchesMoved(const Touch& touch) {
    switch (touchMode_) {
        case TouchMode::None:
        case TouchMode::Claimed: return;
        case TouchMode::PassedOn: View::touchesMoved(touch); return;
        case TouchMode::Dragging: dragTo(touch.location); return;
        case TouchMode::Pending: break;
    }
    double dx = touch.location.x - touchStart_.location.x;
    double dy = touch.location.y - touchStart_.location.y;
    if (std::hypot(dx, dy) < kDragThreshold) {
        return;
    }
    bool horizontal = std::fabs(dx) > std::fabs(dy);
    bool can = scrollEnabled_ && (horizontal ? canScrollHorizontally() : canScrollVertically());
    if (can && beginDragging(touchStart_.location)) {
        touchMode_ = TouchMode::Dragging;
        dragTo(touch.location);
        return;
    }
    // This view does not scroll that way: the views behind it get the whole touch.
    touchMode_ = TouchMode::PassedOn;
    tracking_ = false;
    View::touchesBegan(touchStart_);
    View::touchesMoved(touch);
}

void ScrollView::touchesEnded(const Touch& touch) {
    TouchMode mode = touchMode_;
    finishTouch();
    if (mode == TouchMode::PassedOn) {
        View::touchesEnded(touch);
    } else if (mode == TouchMode::Dragging) {
        if (touch.location != lastDragTouch_) {
            dragTo(touch.location);
        }
        endDragging(pan_->velocity());
    }
}

void ScrollView::touchesCancelled(const Touch& touch) {
    TouchMode mode = touchMode_;
    finishTouch();
    if (mode == TouchMode::PassedOn) {
        View::touchesCancelled(touch);
    } else if (mode == TouchMode::Dragging) {
        endDragging(Point{});
    }
}

void ScrollView::finishTouch() {
    touchMode_ = TouchMode::None;
    tracking_ = dragging_;
}

ScrollView* ScrollView::scrollViewAt(View& root, Point windowPoint, Point movement) {
    return findScrollView(root, windowPoint, movement);
}

void ScrollView::describe(Value& node) const {
    View::describe(node);
    Point offset = contentOffset();
    node["contentOffset"] = {offset.x, offset.y};
    node["contentSize"] = {contentSize_.width, contentSize_.height};
    node["contentInset"] = {contentInset_.top, contentInset_.left, contentInset_.bottom, contentInset_.right};
    node["paging"] = pagingEnabled_;
    if (!scrollEnabled_) {
        node["scrollEnabled"] = false;
    }
    node["indicators"] = {showsHorizontalIndicator_, showsVerticalIndicator_};
    // A touch that lands while the content still moves only stops it; whoever drives the
    // app from outside waits for this to go before tapping what the list shows.
    if (isBusyScrolling()) {
        node["moving"] = true;
    }
}

}  // namespace platform
