#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ScrollMotion.h"
#include "platform/ui/ScrollViewDelegate.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>

namespace platform {

// A view whose content is larger than itself and moves under the finger. The content
// offset is the bounds origin; the allowed offsets run from (-inset.left, -inset.top)
// to the far end of the content plus the bottom and right insets.
//
// Touches reach it through its pan recogniser, which the window feeds with every touch
// on the view or inside it: once the finger has moved past the slop the way the view can
// scroll, the scroll view takes the pan (cancelling the touch in the view under the
// finger), follows the finger (with resistance beyond its edges), and on release coasts
// with the finger's speed, springs back into range and settles on a page when paged, all
// animated on the main loop's clock. The programmatic drag that the device API uses
// drives the same recogniser, so targets added to it hear every drag.
class ScrollView : public View {
public:
    // Let-go content that only springs back into range or moves onto a page is at rest
    // within this time (a fling coasts for longer, by its speed); an animated offset
    // change tells its delegate after kScrollAnimationDuration.
    static constexpr double kSettleDuration = ScrollMotion::kLongestSettle;
    static constexpr double kScrollAnimationDuration = 0.3;
    // A touch that moves this far becomes a drag.
    static constexpr double kDragThreshold = PanGestureRecognizer::kMinMovement;
    // Moving content is redrawn this often.
    static constexpr double kFrameInterval = 1.0 / 60;

    explicit ScrollView(Rect frame = Rect{});
    ~ScrollView() override;
    std::string className() const override { return "ScrollView"; }

    Point contentOffset() const { return bounds().origin; }
    void setContentOffset(Point offset) { setContentOffset(offset, false); }
    // Animated changes apply at once; scrollViewDidEndScrollingAnimation follows
    // kScrollAnimationDuration later on the main loop's clock.
    void setContentOffset(Point offset, bool animated);
    Size contentSize() const { return contentSize_; }
    void setContentSize(Size size);
    EdgeInsets contentInset() const { return contentInset_; }
    // At rest, an offset that the new insets no longer allow moves back into range.
    void setContentInset(EdgeInsets inset);
    // The allowed range of the content offset under the current size and insets.
    Point minimumContentOffset() const;
    Point maximumContentOffset() const;
    // Scrolls as little as needed to show the rectangle (content coordinates).
    void scrollRectToVisible(Rect rect, bool animated);

    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool value) { alwaysBounceVertical_ = value; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool value) { alwaysBounceHorizontal_ = value; }
    bool showsHorizontalScrollIndicator() const { return showsHorizontalIndicator_; }
    void setShowsHorizontalScrollIndicator(bool shows) { showsHorizontalIndicator_ = shows; }
    bool showsVerticalScrollIndicator() const { return showsVerticalIndicator_; }
    void setShowsVerticalScrollIndicator(bool shows) { showsVerticalIndicator_ = shows; }
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled);
    bool scrollsToTop() const { return scrollsToTop_; }
    void setScrollsToTop(bool value) { scrollsToTop_ = value; }

    // True while a finger holds the content (from touch down, or from beginDragging).
    bool isTracking() const { return tracking_; }
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return decelerating_; }
    // Whether a drag can move the content along that axis.
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;

    std::shared_ptr<ScrollViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<ScrollViewDelegate> delegate) { delegate_ = std::move(delegate); }
    const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return pan_; }

    // The programmatic drag; points are in window coordinates. The content follows
    // the finger one to one, also beyond the allowed range when the view bounces.
    // `velocity` is the finger's, in points per second: the content coasts with it and,
    // when paging, it decides the page it settles on. Returns false when the view does
    // not scroll (scrolling disabled, or a drag already under way).
    bool beginDragging(Point touchInWindow);
    void dragTo(Point touchInWindow);
    void endDragging(Point velocity);

    // The front-most visible scroll view under the point, the innermost first. With a
    // movement, only scroll views that can scroll along its main axis count.
    static ScrollView* scrollViewAt(View& root, Point windowPoint, Point movement = Point{});

    void touchesBegan(const Touch& touch) override;
    void touchesMoved(const Touch& touch) override;
    void touchesEnded(const Touch& touch) override;
    void touchesCancelled(const Touch& touch) override;
    void describe(Value& node) const override;

protected:
    // What became of a touch on the content, as the content's own views pass it up:
    // still undecided (it may yet be a tap), moved too far to be a tap, or claimed by a
    // subclass for a gesture of its own.
    enum class TouchMode { None, Pending, Moved, Claimed };
    TouchMode touchMode() const { return touchMode_; }
    // The touch stopped moving content: it is no tap on the content.
    bool touchStoppedScrolling() const { return touchStoppedScrolling_; }
    const Touch& touchAtStart() const { return touchStart_; }
    void claimTouch() { touchMode_ = TouchMode::Claimed; }

    // After the offset changed, before the delegate hears of it.
    virtual void contentOffsetDidChange() {}
    // A drag is about to move the content.
    virtual void contentWillBeginDragging() {}

private:
    friend class ScrollViewPanGestureRecognizer;
    enum class DragSource { None, Program, Touch };

    // The pan recogniser's view of the finger.
    bool panTouchDown();
    bool panShouldBegin(const Touch& touch, Point translation) const;
    void panTouchFinished();
    void followPan(PanGestureRecognizer& pan);
    void drivePan(GestureState state, const Touch& touch);

    bool startDrag(Point touchInWindow, DragSource source);
    void moveDrag(Point touchInWindow);
    void finishDrag(Point fingerVelocity);

    // The content let go: coasting, springing back and settling on a page.
    void startMotion(Point contentVelocity);
    ScrollMotion motionAlong(double position, double velocity, double low, double high,
                             std::optional<double> page, double now) const;
    ScrollMotion nextMotion(const ScrollMotion& motion, double position, double low, double high,
                            double now) const;
    void stepMotion();
    void scheduleStep();

    void changeOffset(Point offset);
    Point clampedOffset(Point offset) const;
    bool isOutOfRange(Point offset) const;
    bool isOffPage(Point offset) const;
    bool isBusyScrolling() const;
    Touch dragTouch(Point location) const;
    std::optional<Point> pageTarget(Point velocity) const;
    void stopDeceleration();

    Size contentSize_;
    EdgeInsets contentInset_;
    bool pagingEnabled_ = false;
    bool bounces_ = true;
    bool alwaysBounceVertical_ = false;
    bool alwaysBounceHorizontal_ = false;
    bool showsHorizontalIndicator_ = true;
    bool showsVerticalIndicator_ = true;
    bool scrollEnabled_ = true;
    bool scrollsToTop_ = true;
    std::weak_ptr<ScrollViewDelegate> delegate_;
    std::shared_ptr<PanGestureRecognizer> pan_;
    bool drivingPan_ = false;  // the programmatic drag is feeding the pan

    // The drag.
    bool tracking_ = false;
    bool dragging_ = false;
    bool decelerating_ = false;
    bool settlePending_ = false;  // released, about to decelerate
    DragSource dragSource_ = DragSource::None;
    Point dragStartTouch_;
    Point dragStartOffset_;
    // Where the finger's movement is measured from: the start offset with the edges'
    // resistance taken back out of it.
    Point dragStartUnresisted_;
    Point lastDragTouch_;
    double dragStartTime_ = 0;
    std::optional<Point> settleTarget_;  // the page a paged view settles on

    // The let-go content, one motion per axis.
    ScrollMotion motionX_ = ScrollMotion::rest(0);
    ScrollMotion motionY_ = ScrollMotion::rest(0);
    Timer decelerationTimer_;
    Timer scrollAnimationTimer_;

    // The touch on the content.
    TouchMode touchMode_ = TouchMode::None;
    Touch touchStart_;
    bool touchStoppedScrolling_ = false;
};

}  // namespace platform
