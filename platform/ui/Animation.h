#pragma once

#include "platform/foundation/RunLoop.h"

#include <functional>

namespace platform {

// View animations. The changes take effect at once (the views hold their final
// values, which is what every reader of the tree sees); the completion runs on the
// main loop when the animation would have ended, after delay + duration on the
// loop's clock, so code chained on completions keeps its timing.
class Animation {
public:
    using Changes = std::function<void()>;
    using Completion = std::function<void(bool finished)>;

    // The platform's default duration for animations begun without one.
    static constexpr double kDefaultDuration = 0.2;

    static Timer animate(double duration, const Changes& changes, Completion completion = {}, double delay = 0);
    // Animations whose completion is still to come (the display uses it to know when
    // the screen has settled).
    static int runningCount();
};

}  // namespace platform
