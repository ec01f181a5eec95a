#pragma once

#include "platform/ui/Touch.h"

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class View;

enum class GestureState { Possible, Began, Changed, Ended, Cancelled, Failed };

// Watches the touches of its view (and of the view's subviews) and calls its
// targets when it recognises its gesture. The window feeds it the touches before
// the view gets them; once it recognises, the view's own touch is cancelled.
class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
public:
    using Action = std::function<void(GestureRecognizer&)>;

    virtual ~GestureRecognizer() = default;

    template <typename T, typename Method>
    void addTarget(const std::shared_ptr<T>& target, Method action) {
        std::weak_ptr<T> weak = target;
        addAction([weak, action](GestureRecognizer& recognizer) {
            if (auto strong = weak.lock()) {
                ((*strong).*action)(recognizer);
            }
        });
    }
    void addAction(Action action);

    View* view() const { return view_; }
    GestureState state() const { return state_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
    void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
    // Where the gesture's touch is now, in the coordinates of `inView` (nullptr: window).
    Point locationInView(const View* inView) const;
    // A tap recogniser yields to a control's own tap (a button inside a tappable view).
    virtual bool isTap() const { return false; }
    // True when, from the moment the finger went down, the view under it is not to hear
    // of the touch (a finger that stops a moving list does not tap what the list shows).
    virtual bool holdsTouchFromView() const { return false; }
    virtual const char* kind() const = 0;

    // Fed by the window.
    void touchBegan(const Touch& touch);
    void touchMoved(const Touch& touch);
    void touchEnded(const Touch& touch);
    void touchCancelled(const Touch& touch);
    // Back to Possible, ready for the next touch.
    void reset();
    // True once it has recognised during the current touch.
    bool hasRecognized() const;

    void attachTo(View* view) { view_ = view; }

protected:
    virtual void began(const Touch& touch) = 0;
    virtual void moved(const Touch& touch) = 0;
    virtual void ended(const Touch& touch) = 0;
    // The finger has gone up or the touch was cancelled, whatever became of the gesture.
    virtual void touchFinished(const Touch& /*touch*/) {}
    // Moves to `state` and tells the targets when it is one they hear of.
    void setState(GestureState state);
    const Touch& lastTouch() const { return touch_; }

private:
    std::vector<Action> actions_;
    View* view_ = nullptr;
    GestureState state_ = GestureState::Possible;
    bool enabled_ = true;
    bool cancelsTouchesInView_ = true;
    bool recognized_ = false;
    Touch touch_;
};

}  // namespace platform
