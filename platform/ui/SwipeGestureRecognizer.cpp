#include "platform/ui/SwipeGestureRecognizer.h"

#include <cmath>

namespace platform {

unsigned SwipeGestureRecognizer::directionOfStroke(Point from, Point to) {
    double dx = to.x - from.x;
    double dy = to.y - from.y;
    if (std::fabs(dx) >= kMinDistance && std::fabs(dx) > 2 * std::fabs(dy)) {
        return dx > 0 ? SwipeDirectionRight : SwipeDirectionLeft;
    }
    if (std::fabs(dy) >= kMinDistance && std::fabs(dy) > 2 * std::fabs(dx)) {
        return dy > 0 ? SwipeDirectionDown : SwipeDirectionUp;
    }
    return 0;
}

void SwipeGestureRecognizer::ended(const Touch& touch) {
    unsigned stroke = directionOfStroke(touch.startLocation, touch.location);
    bool quick = touch.timestamp - touch.startTimestamp <= kMaxSeconds;
    setState(stroke != 0 && (stroke & direction_) != 0 && quick ? GestureState::Ended : GestureState::Failed);
}

}  // namespace platform
