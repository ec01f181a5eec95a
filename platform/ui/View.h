#pragma once

#include "platform/foundation/JsonFwd.h"
#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Touch.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class GestureRecognizer;
class Window;

// Which margins and sides of a view follow its superview's size.
enum AutoresizingMask : unsigned {
    AutoresizingNone = 0,
    FlexibleLeftMargin = 1 << 0,
    FlexibleWidth = 1 << 1,
    FlexibleRightMargin = 1 << 2,
    FlexibleTopMargin = 1 << 3,
    FlexibleHeight = 1 << 4,
    FlexibleBottomMargin = 1 << 5,
};

enum class ContentMode { ScaleToFill, ScaleAspectFit, ScaleAspectFill, Center, Top, Left };

// A rectangle of the retained view tree. Views are shared objects: a view owns its
// subviews (front-most last), and knows its superview without owning it. The bounds
// origin is the scrolled offset of the content, as on the platform, so converting
// points between views takes scrolling into account.
class View : public std::enable_shared_from_this<View> {
public:
    explicit View(Rect frame = Rect{});
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    template <typename T = View, typename... Args>
    static std::shared_ptr<T> create(Args&&... args) {
        return std::make_shared<T>(std::forward<Args>(args)...);
    }

    // The class name the tree reports (screens' own views override it).
    virtual std::string className() const { return "View"; }

    // Geometry.
    Rect frame() const { return frame_; }
    virtual void setFrame(Rect frame);
    Rect bounds() const { return Rect{boundsOrigin_, frame_.size}; }
    void setBoundsOrigin(Point origin);
    Point center() const { return frame_.center(); }
    void setCenter(Point center);
    unsigned autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool value) { autoresizesSubviews_ = value; }
    // Rotation about the centre, in radians; it changes how the view is drawn, not its frame.
    double rotation() const { return rotation_; }
    void setRotation(double radians) { rotation_ = radians; }

    // Appearance.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isHidden() const { return hidden_; }
    virtual void setHidden(bool hidden) { hidden_ = hidden; }
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    std::optional<Color> backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<Color> color) { backgroundColor_ = color; }
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode) { contentMode_ = mode; }
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width) { borderWidth_ = width; }
    Color borderColor() const { return borderColor_; }
    void setBorderColor(Color color) { borderColor_ = color; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }

    // Hierarchy.
    View* superview() const { return superview_; }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    void addSubview(const std::shared_ptr<View>& view);
    void insertSubview(const std::shared_ptr<View>& view, std::size_t index);
    void insertSubviewBelow(const std::shared_ptr<View>& view, const View& sibling);
    void insertSubviewAbove(const std::shared_ptr<View>& view, const View& sibling);
    void removeFromSuperview();
    void bringSubviewToFront(const View& view);
    void sendSubviewToBack(const View& view);
    bool isDescendantOf(const View& ancestor) const;
    // This view or the first descendant (depth first, back to front) with the tag.
    std::shared_ptr<View> viewWithTag(int tag);
    Window* window() const;
    std::shared_ptr<View> sharedFromThis() { return shared_from_this(); }

    // Layout: setNeedsLayout asks for a layout pass on the next turn of the main loop.
    void setNeedsLayout();
    void layoutIfNeeded();
    virtual void layoutSubviews() {}
    virtual Size sizeThatFits(Size size) const;
    void sizeToFit();

    // Coordinates.
    Point convertPointToView(Point point, const View* view) const;  // nullptr: the window
    Point convertPointFromView(Point point, const View* view) const;
    Rect convertRectToView(Rect rect, const View* view) const;
    // The frame in window coordinates.
    Rect frameInWindow() const { return convertRectToView(bounds(), nullptr); }

    // Touches. The default passes them on to the superview, so a container (a list,
    // say) handles touches that its plain subviews do not.
    virtual std::shared_ptr<View> hitTest(Point point);
    virtual bool pointInside(Point point) const;
    virtual void touchesBegan(const Touch& touch);
    virtual void touchesMoved(const Touch& touch);
    virtual void touchesEnded(const Touch& touch);
    virtual void touchesCancelled(const Touch& touch);
    void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    void removeGestureRecognizer(const GestureRecognizer& recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return recognizers_; }

    // First responder (text input).
    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    // Ends editing in this view or any descendant (the keyboard closes).
    bool endEditing();

    // Automation: the entry of this view in the device API's screen listing (kind,
    // text, ...), or null for views that show nothing a person reads or touches.
    virtual Value screenEntry() const;
    // Every property the browser display needs; subclasses add theirs.
    virtual void describe(Value& node) const;
    // Visible to a person: not hidden, alpha above zero, up the whole chain.
    bool isVisibleInWindow() const;

protected:
    // Called after the view joined or left a superview or window.
    virtual void didMoveToSuperview() {}
    virtual void didMoveToWindow() {}
    virtual void didResize(Size oldSize);

private:
    void attach(const std::shared_ptr<View>& view, std::size_t index);
    void insertNextTo(const std::shared_ptr<View>& view, const View& sibling, bool above);
    void detachFromSuperview();
    void notifyMovedToWindow();
    void resizeSubviews(Size oldSize);
    Point offsetInWindow() const;

    Rect frame_;
    Point boundsOrigin_;
    unsigned autoresizingMask_ = AutoresizingNone;
    bool autoresizesSubviews_ = true;
    double rotation_ = 0;
    int tag_ = 0;
    bool hidden_ = false;
    double alpha_ = 1.0;
    std::optional<Color> backgroundColor_;
    bool opaque_ = false;
    bool clipsToBounds_ = false;
    ContentMode contentMode_ = ContentMode::ScaleToFill;
    double cornerRadius_ = 0;
    double borderWidth_ = 0;
    Color borderColor_ = Color::black();
    bool userInteractionEnabled_ = true;
    bool needsLayout_ = true;
    View* superview_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
};

}  // namespace platform
