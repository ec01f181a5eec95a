#pragma once

#include "platform/ui/Geometry.h"

#include <memory>

namespace platform {

class View;

enum class TouchPhase { Began, Moved, Ended, Cancelled };

// One finger on the screen. Locations are in window coordinates; `view` is the view
// the touch began in and keeps receiving it until it ends.
struct Touch {
    TouchPhase phase = TouchPhase::Began;
    Point location;
    Point previousLocation;
    Point startLocation;
    double timestamp = 0;  // seconds on the run loop clock
    double startTimestamp = 0;
    std::weak_ptr<View> view;

    // The location in the coordinates of `inView`.
    Point locationIn(const View& inView) const;
    double distanceMoved() const;
};

}  // namespace platform
