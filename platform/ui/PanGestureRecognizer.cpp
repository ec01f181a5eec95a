#include "platform/ui/PanGestureRecognizer.h"


namespace platform {

void PanGestureRecognizer::began(const Touch& touch) {
    origin_ = touch.location;
    velocity_ = Point{};
    previousTimestamp_ = touch.timestamp;
}

void PanGestureRecognizer::moved(const Touch& touch) {
    double dt = touch.timestamp - previousTimestamp_;
    if (dt > 0) {
        velocity_ = Point{(touch.location.x - touch.previousLocation.x) / dt,
                          (touch.location.y - touch.previousLocation.y) / dt};
    }
    previousTimestamp_ = touch.timestamp;
    if (state() == GestureState::Possible) {
        if (touch.distanceMoved() >= kMinMovement) {
            setState(GestureState::Began);
        }
        return;
    }
    setState(GestureState::Changed);
}

void PanGestureRecognizer::ended(const Touch&) {
    if (state() == GestureState::Began || state() == GestureState::Changed) {
        setState(GestureState::Ended);
    } else {
        setState(GestureState::Failed);
    }
}

Point PanGestureRecognizer::translationInView(const View*) const {
    Point now = lastTouch().location;
    return Point{now.x - origin_.x, now.y - origin_.y};
}

void PanGestureRecognizer::setTranslation(Point translation) {
    Point now = lastTouch().location;
    origin_ = Point{now.x - translation.x, now.y - translation.y};
}

void PanGestureRecognizer::drive(GestureState state, const Touch& touch) {
    if (state == GestureState::Began) {
        touchBegan(touch);
        setState(GestureState::Began);
        return;
    }
    if (state == GestureState::Changed) {
        touchMoved(touch);
        return;
    }
    touchEnded(touch);
}

}  // namespace platform
