#pragma once

#include "platform/ui/GestureRecognizer.h"

namespace platform {

// A drag: begins once the finger has moved a few points, then reports every move
// and the release. Translation is measured from where the pan began.
class PanGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double kMinMovement = 10;

    const char* kind() const override { return "pan"; }
    Point translationInView(const View* inView) const;
    void setTranslation(Point translation);
    // Points per second of the last move.
    Point velocity() const { return velocity_; }
    // Drives the recogniser directly (a scroll view's own drag): began, changed, ended.
    void drive(GestureState state, const Touch& touch);

protected:
    void began(const Touch& touch) override;
    void moved(const Touch& touch) override;
    void ended(const Touch& touch) override;

private:
    Point origin_;
    Point velocity_;
    double previousTimestamp_ = 0;
};

}  // namespace platform
