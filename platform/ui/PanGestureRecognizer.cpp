#include "platform/ui/PanGestureRecognizer.h"

namespace platform {
namespace {

// Moves that arrive together (no time between them) tell nothing of the speed.
constexpr double kShortestSpan = 0.001;

}  // namespace

void PanGestureRecognizer::began(const Touch& touch) {
    origin_ = touch.location;
    velocity_ = Point{};
    samples_.clear();
    addSample(touch);
}

// The speed from the oldest sample within the window to the newest: steadier than the
// last step alone when moves arrive unevenly, and zero once the finger has stood still.
void PanGestureRecognizer::addSample(const Touch& touch) {
    samples_.push_back(Sample{touch.timestamp, touch.location});
    while (samples_.size() > 1 && samples_.front().time < touch.timestamp - kVelocityWindow) {
        samples_.pop_front();
    }
    const Sample& oldest = samples_.front();
    double span = touch.timestamp - oldest.time;
    if (span < kShortestSpan) {
        velocity_ = Point{};
        return;
    }
    velocity_ = Point{(touch.location.x - oldest.location.x) / span, (touch.location.y - oldest.location.y) / span};
}

void PanGestureRecognizer::moved(const Touch& touch) {
    addSample(touch);
    if (state() == GestureState::Possible) {
        if (touch.distanceMoved() >= kMinMovement) {
            Point translation{touch.location.x - origin_.x, touch.location.y - origin_.y};
            setState(shouldBegin(touch, translation) ? GestureState::Began : GestureState::Failed);
        }
        return;
    }
    setState(GestureState::Changed);
}

void PanGestureRecognizer::ended(const Touch& touch) {
    addSample(touch);
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
