#include "platform/ui/GestureRecognizer.h"

#include "platform/ui/View.h"

namespace platform {

void GestureRecognizer::addAction(Action action) {
    if (action) {
        actions_.push_back(std::move(action));
    }
}

Point GestureRecognizer::locationInView(const View* inView) const {
    return inView ? inView->convertPointFromView(touch_.location, nullptr) : touch_.location;
}

void GestureRecognizer::touchBegan(const Touch& touch) {
    reset();
    touch_ = touch;
    began(touch);
}

void GestureRecognizer::touchMoved(const Touch& touch) {
    touch_ = touch;
    if (state_ == GestureState::Failed || state_ == GestureState::Ended || state_ == GestureState::Cancelled) {
        return;
    }
    moved(touch);
}

void GestureRecognizer::touchEnded(const Touch& touch) {
    touch_ = touch;
    if (state_ != GestureState::Failed && state_ != GestureState::Ended && state_ != GestureState::Cancelled) {
        ended(touch);
    }
    touchFinished(touch);
}

void GestureRecognizer::touchCancelled(const Touch& touch) {
    touch_ = touch;
    if (state_ == GestureState::Began || state_ == GestureState::Changed) {
        setState(GestureState::Cancelled);
    } else if (state_ == GestureState::Possible) {
        setState(GestureState::Failed);
    }
    touchFinished(touch);
}

void GestureRecognizer::reset() {
    state_ = GestureState::Possible;
    recognized_ = false;
}

bool GestureRecognizer::hasRecognized() const {
    return recognized_;
}

void GestureRecognizer::setState(GestureState state) {
    state_ = state;
    if (state == GestureState::Began || state == GestureState::Ended) {
        recognized_ = true;
    }
    bool tellTargets = state == GestureState::Began || state == GestureState::Changed ||
                       state == GestureState::Ended || state == GestureState::Cancelled;
    if (!tellTargets || !enabled_) {
        return;
    }
    auto keep = shared_from_this();
    auto due = actions_;
    for (const Action& action : due) {
        action(*this);
    }
}

}  // namespace platform
