#include "platform/ui/View.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace platform {
namespace {

// One layout pass per turn of the main loop, however many views asked for it. The
// guard clears the request also when the loop drops the task (tests reset the loop).
bool layoutPassRequested = false;

struct LayoutPassGuard {
    ~LayoutPassGuard() { layoutPassRequested = false; }
};

void requestLayoutPass() {
    if (layoutPassRequested) {
        return;
    }
    layoutPassRequested = true;
    auto guard = std::make_shared<LayoutPassGuard>();
    RunLoop::main().post([guard] {
        layoutPassRequested = false;
        Window::layoutAllWindows();
    });
}

// Shares `delta` among the flexible parts of one axis in proportion to their sizes.
void distribute(double delta, bool flexibleLead, bool flexibleSize, bool flexibleTrail, double lead,
                double size, double trail, double& newLead, double& newSize) {
    newLead = lead;
    newSize = size;
    int count = (flexibleLead ? 1 : 0) + (flexibleSize ? 1 : 0) + (flexibleTrail ? 1 : 0);
    if (count == 0 || delta == 0) {
        return;
    }
    double total = (flexibleLead ? lead : 0) + (flexibleSize ? size : 0) + (flexibleTrail ? trail : 0);
    auto share = [&](bool flexible, double part) {
        if (!flexible) {
            return 0.0;
        }
        return total > 0 ? delta * part / total : delta / count;
    };
    newLead = lead + share(flexibleLead, lead);
    newSize = std::max(0.0, size + share(flexibleSize, size));
}

}  // namespace

View::View(Rect frame) : frame_(frame) {}

View::~View() {
    for (const auto& child : subviews_) {
        child->superview_ = nullptr;
    }
}

void View::setFrame(Rect frame) {
    Size oldSize = frame_.size;
    frame_ = frame;
    if (oldSize != frame.size) {
        didResize(oldSize);
    }
}

void View::didResize(Size oldSize) {
    if (autoresizesSubviews_) {
        resizeSubviews(oldSize);
    }
    setNeedsLayout();
}

void View::resizeSubviews(Size oldSize) {
    double dw = frame_.size.width - oldSize.width;
    double dh = frame_.size.height - oldSize.height;
    for (const auto& child : subviews_) {
        unsigned mask = child->autoresizingMask_;
        if (mask == AutoresizingNone) {
            continue;
        }
        Rect f = child->frame_;
        Rect next = f;
        distribute(dw, mask & FlexibleLeftMargin, mask & FlexibleWidth, mask & FlexibleRightMargin, f.minX(),
                   f.width(), oldSize.width - f.maxX(), next.origin.x, next.size.width);
        distribute(dh, mask & FlexibleTopMargin, mask & FlexibleHeight, mask & FlexibleBottomMargin, f.minY(),
                   f.height(), oldSize.height - f.maxY(), next.origin.y, next.size.height);
        child->setFrame(next);
    }
}

void View::setBoundsOrigin(Point origin) {
    boundsOrigin_ = origin;
}

void View::setCenter(Point center) {
    frame_.origin = Point{center.x - frame_.size.width / 2, center.y - frame_.size.height / 2};
}

void View::setAlpha(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
}

void View::addSubview(const std::shared_ptr<View>& view) {
    if (view) {
        attach(view, subviews_.size() + (view->superview_ == this ? 0 : 1));
    }
}

void View::insertSubview(const std::shared_ptr<View>& view, std::size_t index) {
    if (view) {
        attach(view, index + 1);
    }
}

void View::insertSubviewBelow(const std::shared_ptr<View>& view, const View& sibling) {
    insertNextTo(view, sibling, false);
}

void View::insertSubviewAbove(const std::shared_ptr<View>& view, const View& sibling) {
    insertNextTo(view, sibling, true);
}

void View::insertNextTo(const std::shared_ptr<View>& view, const View& sibling, bool above) {
    if (!view || view.get() == &sibling) {
        return;
    }
    auto isSibling = [&](const auto& v) { return v.get() == &sibling; };
    if (view->superview_ == this) {
        // Moving within this view: place it relative to the sibling's position once
        // the view is out of the list.
        // The caller's reference may be the very element erased below.
        std::shared_ptr<View> keep = view;  // NOLINT(performance-unnecessary-copy-initialization)
        subviews_.erase(std::find(subviews_.begin(), subviews_.end(), view));
        auto it = std::find_if(subviews_.begin(), subviews_.end(), isSibling);
        if (it != subviews_.end() && above) {
            ++it;
        }
        subviews_.insert(it, keep);
        setNeedsLayout();
        return;
    }
    auto it = std::find_if(subviews_.begin(), subviews_.end(), isSibling);
    std::size_t index = static_cast<std::size_t>(it - subviews_.begin());
    if (it != subviews_.end() && above) {
        ++index;
    }
    insertSubview(view, index);
}

// `position` counts from 1 so that 0 never means "before the first" by accident of
// the view being moved within the same superview.
void View::attach(const std::shared_ptr<View>& view, std::size_t position) {
    if (view.get() == this || isDescendantOf(*view)) {
        return;  // a view cannot contain itself
    }
    // The caller's reference may be an element of the old superview's list.
    std::shared_ptr<View> keep = view;  // NOLINT(performance-unnecessary-copy-initialization)
    Window* oldWindow = view->window();
    bool sameParent = view->superview_ == this;
    if (view->superview_) {
        view->detachFromSuperview();
    }
    std::size_t index = std::min(position == 0 ? 0 : position - 1, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    keep->superview_ = this;
    if (!sameParent) {
        keep->didMoveToSuperview();
    }
    if (keep->window() != oldWindow) {
        keep->notifyMovedToWindow();
    }
    setNeedsLayout();
}

void View::detachFromSuperview() {
    View* parent = superview_;
    auto it = std::find_if(parent->subviews_.begin(), parent->subviews_.end(),
                           [&](const auto& v) { return v.get() == this; });
    superview_ = nullptr;
    if (it != parent->subviews_.end()) {
        parent->subviews_.erase(it);  // may release this view: touch nothing after
    }
}

void View::removeFromSuperview() {
    if (!superview_) {
        return;
    }
    std::shared_ptr<View> keep = shared_from_this();
    Window* oldWindow = window();
    if (oldWindow) {
        // A focused field leaving the window with this view ends its editing; it
        // cannot keep the focus off screen even if it would rather.
        auto responder = oldWindow->firstResponder();
        if (responder && responder->isDescendantOf(*this)) {
            responder->resignFirstResponder();
            oldWindow->clearFirstResponder(responder.get());
        }
    }
    View* parent = superview_;
    detachFromSuperview();
    parent->setNeedsLayout();
    didMoveToSuperview();
    if (oldWindow) {
        notifyMovedToWindow();
    }
}

void View::notifyMovedToWindow() {
    didMoveToWindow();
    auto children = subviews_;
    for (const auto& child : children) {
        child->notifyMovedToWindow();
    }
}

void View::bringSubviewToFront(const View& view) {
    auto it =
        std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &view; });
    if (it != subviews_.end()) {
        std::rotate(it, it + 1, subviews_.end());
    }
}

void View::sendSubviewToBack(const View& view) {
    auto it =
        std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &view; });
    if (it != subviews_.end()) {
        std::rotate(subviews_.begin(), it, it + 1);
    }
}

bool View::isDescendantOf(const View& ancestor) const {
    for (const View* v = this; v; v = v->superview_) {
        if (v == &ancestor) {
            return true;
        }
    }
    return false;
}

std::shared_ptr<View> View::viewWithTag(int tag) {
    if (tag_ == tag) {
        return shared_from_this();
    }
    for (const auto& child : subviews_) {
        if (auto found = child->viewWithTag(tag)) {
            return found;
        }
    }
    return nullptr;
}

Window* View::window() const {
    const View* top = this;
    while (top->superview_) {
        top = top->superview_;
    }
    return dynamic_cast<Window*>(const_cast<View*>(top));
}

void View::setNeedsLayout() {
    needsLayout_ = true;
    requestLayoutPass();
}

void View::layoutIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSubviews();
    }
    auto children = subviews_;
    for (const auto& child : children) {
        child->layoutIfNeeded();
    }
}

Size View::sizeThatFits(Size) const {
    return frame_.size;
}

void View::sizeToFit() {
    Size size = sizeThatFits(frame_.size);
    setFrame(Rect{frame_.origin, size});
}

Point View::offsetInWindow() const {
    Point offset;
    for (const View* v = this; v; v = v->superview_) {
        offset.x += v->frame_.origin.x - v->boundsOrigin_.x;
        offset.y += v->frame_.origin.y - v->boundsOrigin_.y;
        if (!v->superview_ && dynamic_cast<const Window*>(v)) {
            // The window's own frame is the screen; its coordinates are the reference.
            offset.x -= v->frame_.origin.x - v->boundsOrigin_.x;
            offset.y -= v->frame_.origin.y - v->boundsOrigin_.y;
        }
    }
    return offset;
}

Point View::convertPointToView(Point point, const View* view) const {
    Point mine = offsetInWindow();
    Point inWindow{point.x + mine.x, point.y + mine.y};
    if (!view) {
        return inWindow;
    }
    Point theirs = view->offsetInWindow();
    return Point{inWindow.x - theirs.x, inWindow.y - theirs.y};
}

Point View::convertPointFromView(Point point, const View* view) const {
    Point inWindow = view ? view->convertPointToView(point, nullptr) : point;
    Point mine = offsetInWindow();
    return Point{inWindow.x - mine.x, inWindow.y - mine.y};
}

Rect View::convertRectToView(Rect rect, const View* view) const {
    return Rect{convertPointToView(rect.origin, view), rect.size};
}

bool View::pointInside(Point point) const {
    return bounds().contains(point);
}

std::shared_ptr<View> View::hitTest(Point point) {
    if (hidden_ || alpha_ < 0.01 || !userInteractionEnabled_ || !pointInside(point)) {
        return nullptr;
    }
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        const auto& child = *it;
        Point local{point.x - child->frame_.origin.x + child->boundsOrigin_.x,
                    point.y - child->frame_.origin.y + child->boundsOrigin_.y};
        if (auto hit = child->hitTest(local)) {
            return hit;
        }
    }
    return shared_from_this();
}

void View::touchesBegan(const Touch& touch) {
    if (superview_) {
        superview_->touchesBegan(touch);
    }
}

void View::touchesMoved(const Touch& touch) {
    if (superview_) {
        superview_->touchesMoved(touch);
    }
}

void View::touchesEnded(const Touch& touch) {
    if (superview_) {
        superview_->touchesEnded(touch);
    }
}

void View::touchesCancelled(const Touch& touch) {
    if (superview_) {
        superview_->touchesCancelled(touch);
    }
}

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
    if (!recognizer) {
        return;
    }
    recognizer->attachTo(this);
    recognizers_.push_back(recognizer);
}

void View::removeGestureRecognizer(const GestureRecognizer& recognizer) {
    auto it = std::find_if(recognizers_.begin(), recognizers_.end(),
                           [&](const auto& r) { return r.get() == &recognizer; });
    if (it != recognizers_.end()) {
        (*it)->attachTo(nullptr);
        recognizers_.erase(it);
    }
}

bool View::becomeFirstResponder() {
    Window* w = window();
    if (!w || !canBecomeFirstResponder()) {
        return false;
    }
    return w->makeFirstResponder(shared_from_this());
}

bool View::resignFirstResponder() {
    if (Window* w = window()) {
        w->clearFirstResponder(this);
    }
    return true;
}

bool View::isFirstResponder() const {
    Window* w = window();
    return w && w->firstResponder().get() == this;
}

bool View::endEditing() {
    Window* w = window();
    if (!w) {
        return false;
    }
    auto responder = w->firstResponder();
    if (responder && responder->isDescendantOf(*this)) {
        return responder->resignFirstResponder();
    }
    return true;
}

bool View::isVisibleInWindow() const {
    for (const View* v = this; v; v = v->superview_) {
        if (v->hidden_ || v->alpha_ < 0.01) {
            return false;
        }
    }
    return window() != nullptr;
}

void View::describe(Value& node) const {
    node["class"] = className();
    node["frame"] = {frame_.origin.x, frame_.origin.y, frame_.size.width, frame_.size.height};
    if (boundsOrigin_ != Point{}) {
        node["offset"] = {boundsOrigin_.x, boundsOrigin_.y};
    }
    if (tag_ != 0) {
        node["tag"] = tag_;
    }
    if (hidden_) {
        node["hidden"] = true;
    }
    if (alpha_ < 1.0) {
        node["alpha"] = alpha_;
    }
    if (backgroundColor_ && backgroundColor_->alpha > 0) {
        node["background"] = backgroundColor_->css();
    }
    if (clipsToBounds_) {
        node["clips"] = true;
    }
    if (cornerRadius_ > 0) {
        node["cornerRadius"] = cornerRadius_;
    }
    if (borderWidth_ > 0) {
        node["border"] = {{"width", borderWidth_}, {"color", borderColor_.css()}};
    }
    if (rotation_ != 0) {
        node["rotation"] = rotation_;
    }
    if (!userInteractionEnabled_) {
        node["touches"] = false;
    }
}

Value View::screenEntry() const {
    return nullptr;
}

}  // namespace platform
