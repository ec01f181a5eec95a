#pragma once

#include "platform/ui/PanGestureRecognizer.h"

namespace platform {

// The pan of a scroll view. The window feeds it every touch that lands on the scroll
// view or on anything inside it (buttons included), so the scroll view hears the finger
// go down and up, and takes the pan only where it can move the way the finger moves;
// once it has, the view under the finger has its touch cancelled.
class ScrollViewPanGestureRecognizer : public PanGestureRecognizer {
public:
    bool holdsTouchFromView() const override { return stoppedScrolling_; }

protected:
    void began(const Touch& touch) override;
    bool shouldBegin(const Touch& touch, Point translation) override;
    void touchFinished(const Touch& touch) override;

private:
    bool stoppedScrolling_ = false;
};

}  // namespace platform
