#pragma once

#include "platform/ui/GestureRecognizer.h"

#include <deque>

namespace platform {

// A drag: begins once the finger has moved a few points, then reports every move
// and the release. Translation is measured from where the pan began.
class PanGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double kMinMovement = 10;
    // The finger's speed is measured over its moves of this last stretch of time: a
    // finger held still this long before it lifts has no speed left.
    static constexpr double kVelocityWindow = 0.1;

    const char* kind() const override { return "pan"; }
    Point translationInView(const View* inView) const;
    void setTranslation(Point translation);
    // Points per second of the finger over its last moves.
    Point velocity() const { return velocity_; }
    // Drives the recogniser directly (a scroll view's own drag): began, changed, ended.
    void drive(GestureState state, const Touch& touch);

protected:
    void began(const Touch& touch) override;
    void moved(const Touch& touch) override;
    void ended(const Touch& touch) override;
    // Asked once the finger has moved far enough; a pan that may not begin fails.
    virtual bool shouldBegin(const Touch& /*touch*/, Point /*translation*/) { return true; }

private:
    struct Sample {
        double time;
        Point location;
    };
    void addSample(const Touch& touch);

    Point origin_;
    Point velocity_;
    std::deque<Sample> samples_;
};

}  // namespace platform
