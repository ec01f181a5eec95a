#pragma once

#include "platform/foundation/RunLoop.h"

#include <utility>

namespace platform {

// A timer owned by the object that holds it: cancelled when the holder is destroyed, so a
// screen's delayed work never runs after the screen is gone. A new timer put in its place
// takes over the handle; the one it replaces runs on unless cancelled first.
class ScopedTimer {
public:
    ScopedTimer() = default;
    ~ScopedTimer() { timer_.cancel(); }
    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;

    ScopedTimer& operator=(Timer timer) {
        timer_ = std::move(timer);
        return *this;
    }
    void cancel() { timer_.cancel(); }
    bool isValid() const { return timer_.isValid(); }

private:
    Timer timer_;
};

}  // namespace platform
