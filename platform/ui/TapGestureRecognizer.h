#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace platform {

// A single tap: the finger goes down and comes up without moving more than a few points.
class TapGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double kMaxMovement = 10;

    bool isTap() const override { return true; }
    const char* kind() const override { return "tap"; }
    int numberOfTapsRequired() const { return taps_; }
    void setNumberOfTapsRequired(int taps) { taps_ = taps; }

protected:
    void began(const Touch&) override {}
    void moved(const Touch& touch) override;
    void ended(const Touch& touch) override;

private:
    int taps_ = 1;
};

}  // namespace platform
