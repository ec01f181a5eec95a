#include "platform/ui/ScrollView.h"

#include "platform/foundation/Json.h"
#include "platform/ui/ScrollViewPanGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// Offsets this close to a page boundary count as on it.
constexpr double kPageEpsilon = 1e-6;
// How hard the edges hold back a finger that pulls content past them: the phone's
// rubber band, which never lets the content go as far as one view size past the edge.
constexpr double kEdgeResistance = 0.55;
// A finger slower than this (points per second) at release lets the content stop.
constexpr double kFlingSpeed = 10;
// And faster than this counts as this.
constexpr double kFastestFling = 8000;

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

// How far content goes past an edge when the finger pulls `beyond` points past it, in
// a view `size` points long; and back.
double resisted(double beyond, double size) {
    return (1 - 1 / (beyond * kEdgeResistance / size + 1)) * size;
}

double unresisted(double shown, double size) {
    shown = std::min(shown, size * 0.999);
    return (1 / (1 - shown / size) - 1) * size / kEdgeResistance;
}

// An offset the finger's movement asks for, as the edges let it go.
double withResistance(double wanted, double low, double high, double size) {
    if (size <= 0) {
        return wanted;
    }
    if (wanted < low) {
        return low - resisted(low - wanted, size);
    }
    if (wanted > high) {
        return high + resisted(wanted - high, size);
    }
    return wanted;
}

double withoutResistance(double shown, double low, double high, double size) {
    if (size <= 0) {
        return shown;
    }
    if (shown < low) {
        return low - unresisted(low - shown, size);
    }
    if (shown > high) {
        return high + unresisted(shown - high, size);
    }
    return shown;
}

double clampedSpeed(double speed) {
    return std::clamp(speed, -kFastestFling, kFastestFling);
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

ScrollView::ScrollView(Rect frame) : View(frame), pan_(std::make_shared<ScrollViewPanGestureRecognizer>()) {
    setClipsToBounds(true);
    // The scroll view moves first; targets that others add hear of each move after it.
    pan_->addAction([](GestureRecognizer& recognizer) {
        if (auto* scrollView = static_cast<ScrollView*>(recognizer.view())) {
            scrollView->followPan(static_cast<PanGestureRecognizer&>(recognizer));
        }
    });
    addGestureRecognizer(pan_);
}

ScrollView::~ScrollView() {
    decelerationTimer_.cancel();
    scrollAnimationTimer_.cancel();
    pan_->attachTo(nullptr);
}

void ScrollView::setScrollEnabled(bool enabled) {
    scrollEnabled_ = enabled;
    pan_->setEnabled(enabled);
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

bool ScrollView::isOffPage(Point offset) const {
    if (!pagingEnabled_) {
        return false;
    }
    Size page = frame().size;
    auto off = [](double value, double size) {
        return size > 0 && std::fabs(value / size - std::round(value / size)) > kPageEpsilon;
    };
    return off(offset.x, page.width) || off(offset.y, page.height);
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
    // Content put somewhere by the program stops coasting there, as on the phone.
    if (decelerating_) {
        stopDeceleration();
    }
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

// ---- The programmatic drag ----

void ScrollView::drivePan(GestureState state, const Touch& touch) {
    bool wasDriving = drivingPan_;
    drivingPan_ = true;
    pan_->drive(state, touch);
    drivingPan_ = wasDriving;
}

bool ScrollView::beginDragging(Point touchInWindow) {
    std::shared_ptr<View> keep = weak_from_this().lock();
    if (!startDrag(touchInWindow, DragSource::Program)) {
        return false;
    }
    Touch touch = dragTouch(touchInWindow);
    touch.phase = TouchPhase::Began;
    drivePan(GestureState::Began, touch);
    return true;
}

void ScrollView::dragTo(Point touchInWindow) {
    if (dragSource_ != DragSource::Program) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    Touch touch = dragTouch(touchInWindow);
    moveDrag(touchInWindow);
    if (dragging_) {
        drivePan(GestureState::Changed, touch);
    }
}

void ScrollView::endDragging(Point velocity) {
    if (dragSource_ != DragSource::Program) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    finishDrag(velocity);
    Touch touch = dragTouch(lastDragTouch_);
    touch.phase = TouchPhase::Ended;
    drivePan(GestureState::Ended, touch);
}

// ---- The finger, through the pan recogniser ----

bool ScrollView::panTouchDown() {
    if (drivingPan_) {
        return false;
    }
    tracking_ = true;
    // A finger on moving content stops it where it is.
    touchStoppedScrolling_ = decelerating_ || settlePending_;
    stopDeceleration();
    return touchStoppedScrolling_;
}

bool ScrollView::panShouldBegin(const Touch& touch, Point translation) const {
    if (!scrollEnabled_ || dragging_) {
        return false;
    }
    bool horizontal = std::fabs(translation.x) > std::fabs(translation.y);
    if (!(horizontal ? canScrollHorizontally() : canScrollVertically())) {
        return false;
    }
    // A scroll view inside this one that took the same finger keeps it.
    auto touched = touch.view.lock();
    for (View* v = touched.get(); v && v != this; v = v->superview()) {
        if (auto* inner = dynamic_cast<ScrollView*>(v); inner && inner->isDragging()) {
            return false;
        }
    }
    return true;
}

void ScrollView::followPan(PanGestureRecognizer& pan) {
    if (drivingPan_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    Point at = pan.locationInView(nullptr);
    switch (pan.state()) {
        case GestureState::Began: {
            Point moved = pan.translationInView(nullptr);
            if (startDrag(Point{at.x - moved.x, at.y - moved.y}, DragSource::Touch)) {
                moveDrag(at);
            }
            break;
        }
        case GestureState::Changed:
            if (dragSource_ == DragSource::Touch) {
                moveDrag(at);
            }
            break;
        case GestureState::Ended:
            if (dragSource_ == DragSource::Touch) {
                if (at != lastDragTouch_) {
                    moveDrag(at);
                }
                finishDrag(pan.velocity());
            }
            break;
        case GestureState::Cancelled:
            if (dragSource_ == DragSource::Touch) {
                finishDrag(Point{});
            }
            break;
        default: break;
    }
}

void ScrollView::panTouchFinished() {
    if (drivingPan_) {
        return;
    }
    tracking_ = dragging_;
    // A finger that stopped the content while it sprang back or went to a page and
    // lifted without dragging lets it go on.
    if (!dragging_ && !decelerating_ && !settlePending_ &&
        (isOutOfRange(contentOffset()) || isOffPage(contentOffset()))) {
        std::shared_ptr<View> keep = weak_from_this().lock();
        dragStartOffset_ = contentOffset();
        settleTarget_ = pageTarget(Point{});
        decelerating_ = true;
        startMotion(Point{});
    }
}

// ---- Dragging ----

bool ScrollView::startDrag(Point touchInWindow, DragSource source) {
    if (!scrollEnabled_ || dragging_) {
        return false;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    stopDeceleration();
    contentWillBeginDragging();
    dragging_ = true;
    tracking_ = true;
    dragSource_ = source;
    dragStartTouch_ = touchInWindow;
    lastDragTouch_ = touchInWindow;
    dragStartOffset_ = contentOffset();
    dragStartUnresisted_ = dragStartOffset_;
    if (source == DragSource::Touch) {
        Point low = minimumContentOffset();
        Point high = maximumContentOffset();
        dragStartUnresisted_ = Point{withoutResistance(dragStartOffset_.x, low.x, high.x, frame().width()),
                                     withoutResistance(dragStartOffset_.y, low.y, high.y, frame().height())};
    }
    dragStartTime_ = nowSeconds();
    if (auto watcher = delegate()) {
        watcher->scrollViewWillBeginDragging(*this);
    }
    return true;
}

void ScrollView::moveDrag(Point touchInWindow) {
    if (!dragging_) {
        return;
    }
    Point target = contentOffset();
    Point low = minimumContentOffset();
    Point high = maximumContentOffset();
    bool resisting = dragSource_ == DragSource::Touch;
    if (canScrollHorizontally()) {
        target.x = dragStartUnresisted_.x - (touchInWindow.x - dragStartTouch_.x);
        if (resisting) {
            target.x = withResistance(target.x, low.x, high.x, frame().width());
        }
    }
    if (canScrollVertically()) {
        target.y = dragStartUnresisted_.y - (touchInWindow.y - dragStartTouch_.y);
        if (resisting) {
            target.y = withResistance(target.y, low.y, high.y, frame().height());
        }
    }
    if (!bounces_) {
        target = clampedOffset(target);
    }
    lastDragTouch_ = touchInWindow;
    changeOffset(target);
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

void ScrollView::finishDrag(Point fingerVelocity) {
    if (!dragging_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    Point offset = contentOffset();
    Point contentVelocity{canScrollHorizontally() ? clampedSpeed(-fingerVelocity.x) : 0,
                          canScrollVertically() ? clampedSpeed(-fingerVelocity.y) : 0};
    bool flung = std::fabs(contentVelocity.x) > kFlingSpeed || std::fabs(contentVelocity.y) > kFlingSpeed;
    if (!flung) {
        contentVelocity = Point{};
    }
    settleTarget_ = pageTarget(fingerVelocity);
    bool toPage = settleTarget_ && clampedOffset(*settleTarget_) != offset;
    bool willDecelerate = flung || isOutOfRange(offset) || toPage;

    dragging_ = false;
    tracking_ = false;
    dragSource_ = DragSource::None;
    // Until the deceleration starts, insets that the delegate changes must not move
    // the content: it settles into the range as it is when it starts moving.
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
        if (decelerating_) {
            startMotion(contentVelocity);
        }
    } else if (!willDecelerate) {
        settleTarget_.reset();
    }
}

// ---- Let go ----

ScrollMotion ScrollView::motionAlong(double position, double velocity, double low, double high,
                                     std::optional<double> page, double now) const {
    if (page) {
        return ScrollMotion::ease(now, position, velocity, std::clamp(*page, low, high));
    }
    if (position < low || position > high) {
        return ScrollMotion::spring(now, position, velocity, std::clamp(position, low, high));
    }
    return ScrollMotion::coast(now, position, velocity);
}

void ScrollView::startMotion(Point contentVelocity) {
    double now = nowSeconds();
    Point offset = contentOffset();
    Point low = minimumContentOffset();
    Point high = maximumContentOffset();
    std::optional<double> pageX;
    std::optional<double> pageY;
    if (settleTarget_) {
        pageX = settleTarget_->x;
        pageY = settleTarget_->y;
    }
    settleTarget_.reset();
    motionX_ = motionAlong(offset.x, contentVelocity.x, low.x, high.x, pageX, now);
    motionY_ = motionAlong(offset.y, contentVelocity.y, low.y, high.y, pageY, now);
    scheduleStep();
}

void ScrollView::scheduleStep() {
    std::weak_ptr<View> weak = weak_from_this();
    decelerationTimer_ = RunLoop::main().schedule(kFrameInterval, [weak] {
        if (auto view = weak.lock()) {
            static_cast<ScrollView&>(*view).stepMotion();
        }
    });
}

// What an axis does from now on: coasting content that ran past an edge springs back
// (or stops there, without bounce); a spring follows its edge when the range changed
// (the refresh header held open or let go); a finished motion rests at its target.
ScrollMotion ScrollView::nextMotion(const ScrollMotion& motion, double position, double low, double high,
                                    double now) const {
    bool outside = position < low || position > high;
    double edge = std::clamp(position, low, high);
    switch (motion.kind()) {
        case ScrollMotion::Kind::Coasting:
            if (outside) {
                return bounces_ ? ScrollMotion::spring(now, position, motion.velocityAt(now), edge)
                                : ScrollMotion::rest(edge);
            }
            break;
        case ScrollMotion::Kind::Springing: {
            double wanted = std::clamp(motion.target(), low, high);
            if (wanted != motion.target()) {
                return ScrollMotion::spring(now, position, motion.velocityAt(now), wanted);
            }
            break;
        }
        case ScrollMotion::Kind::Resting:
            return outside ? ScrollMotion::spring(now, position, 0, edge) : motion;
        case ScrollMotion::Kind::Easing: break;
    }
    return motion.isFinishedAt(now) ? ScrollMotion::rest(motion.target()) : motion;
}

void ScrollView::stepMotion() {
    if (!decelerating_) {
        return;
    }
    std::shared_ptr<View> keep = weak_from_this().lock();
    double now = nowSeconds();
    Point low = minimumContentOffset();
    Point high = maximumContentOffset();
    motionX_ = nextMotion(motionX_, motionX_.positionAt(now), low.x, high.x, now);
    motionY_ = nextMotion(motionY_, motionY_.positionAt(now), low.y, high.y, now);
    changeOffset(Point{motionX_.positionAt(now), motionY_.positionAt(now)});
    if (!decelerating_) {
        return;  // the delegate stopped it or began a drag
    }
    if (!motionX_.isResting() || !motionY_.isResting()) {
        scheduleStep();
        return;
    }
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
    motionX_ = ScrollMotion::rest(contentOffset().x);
    motionY_ = ScrollMotion::rest(contentOffset().y);
}

// ---- Touches on the content ----

void ScrollView::touchesBegan(const Touch& touch) {
    touchStart_ = touch;
    touchMode_ = TouchMode::Pending;
}

void ScrollView::touchesMoved(const Touch& touch) {
    if (touchMode_ != TouchMode::Pending) {
        return;
    }
    double dx = touch.location.x - touchStart_.location.x;
    double dy = touch.location.y - touchStart_.location.y;
    if (std::hypot(dx, dy) >= kDragThreshold) {
        touchMode_ = TouchMode::Moved;
    }
}

void ScrollView::touchesEnded(const Touch&) {
    touchMode_ = TouchMode::None;
}

void ScrollView::touchesCancelled(const Touch&) {
    touchMode_ = TouchMode::None;
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
