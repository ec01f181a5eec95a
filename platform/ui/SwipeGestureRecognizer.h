#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace platform {

enum SwipeDirection : unsigned {
    SwipeDirectionRight = 1 << 0,
    SwipeDirectionLeft = 1 << 1,
    SwipeDirectionUp = 1 << 2,
    SwipeDirectionDown = 1 << 3,
};

// A quick stroke in one of its permitted directions: at least kMinDistance points
// along the direction, and mostly along it.
class SwipeGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double kMinDistance = 50;
    static constexpr double kMaxSeconds = 0.8;

    const char* kind() const override { return "swipe"; }
    unsigned direction() const { return direction_; }
    void setDirection(unsigned direction) { direction_ = direction; }
    // The direction of a stroke from `from` to `to`, or 0 when it is no swipe.
    static unsigned directionOfStroke(Point from, Point to);

protected:
    void began(const Touch&) override {}
    void moved(const Touch&) override {}
    void ended(const Touch& touch) override;

private:
    unsigned direction_ = SwipeDirectionRight;
};

}  // namespace platform
