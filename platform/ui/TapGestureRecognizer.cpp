#include "platform/ui/TapGestureRecognizer.h"

namespace platform {

void TapGestureRecognizer::moved(const Touch& touch) {
    if (touch.distanceMoved() > kMaxMovement) {
        setState(GestureState::Failed);
    }
}

void TapGestureRecognizer::ended(const Touch& touch) {
    setState(touch.distanceMoved() > kMaxMovement ? GestureState::Failed : GestureState::Ended);
}

}  // namespace platform
