#include "platform/ui/ScrollMotion.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// Speed lost to friction, as an exponential rate per second.
const double kFriction = -1000.0 * std::log(ScrollMotion::kDecelerationRate);
// Content that has coasted to rest lies on a whole pixel of the phone's screen (scale 2).
constexpr double kPixel = 0.5;
// A spring is at rest this close to its target and this slow.
constexpr double kSpringDistance = 0.25;
constexpr double kSpringSpeed = 10;
constexpr double kSpringStep = 1.0 / 240;
// An ease onto a page takes this long when the finger gave it no speed towards the page.
constexpr double kEaseDuration = 0.3;
constexpr double kShortestEase = 0.15;
constexpr double kLongestEase = 0.4;

}  // namespace

ScrollMotion::ScrollMotion(Kind kind, double start, double position, double velocity, double target)
    : kind_(kind), start_(start), position_(position), velocity_(velocity), target_(target) {}

ScrollMotion ScrollMotion::rest(double position) {
    return ScrollMotion(Kind::Resting, 0, position, 0, position);
}

ScrollMotion ScrollMotion::coast(double start, double position, double velocity) {
    double speed = std::fabs(velocity);
    if (speed <= kRestingSpeed) {
        return rest(position);
    }
    double target = std::round((position + velocity / kFriction) / kPixel) * kPixel;
    ScrollMotion motion(Kind::Coasting, start, position, velocity, target);
    motion.duration_ = std::log(speed / kRestingSpeed) / kFriction;
    return motion;
}

ScrollMotion ScrollMotion::spring(double start, double position, double velocity, double target) {
    ScrollMotion motion(Kind::Springing, start, position, velocity, target);
    motion.duration_ = kLongestSettle;  // the curve holds up to here while the end is looked for
    motion.duration_ = motion.springDuration();
    return motion.duration_ > 0 ? motion : rest(target);
}

ScrollMotion ScrollMotion::ease(double start, double position, double velocity, double target) {
    double distance = target - position;
    if (std::fabs(distance) < 1e-9) {
        return rest(target);
    }
    ScrollMotion motion(Kind::Easing, start, position, velocity, target);
    // The curve starts at three times the average speed: matched to the finger when
    // the finger heads for the page, within the bounds of a brisk, calm settle.
    motion.duration_ = velocity * distance > 0
                           ? std::clamp(3 * std::fabs(distance) / std::fabs(velocity), kShortestEase, kLongestEase)
                           : kEaseDuration;
    return motion;
}

// The first moment after the overshoot (if any) at which the spring is close and slow.
double ScrollMotion::springDuration() const {
    const double a = position_ - target_;
    const double b = velocity_ + kSpringRate * a;
    double turn = 0;
    if (b != 0) {
        turn = std::max(0.0, 1 / kSpringRate - a / b);  // the turning point
    }
    const int steps = static_cast<int>(std::ceil(kLongestSettle / kSpringStep));
    for (int step = static_cast<int>(std::ceil(turn / kSpringStep)); step < steps; ++step) {
        const double time = step * kSpringStep;
        if (std::fabs(positionAt(start_ + time) - target_) < kSpringDistance &&
            std::fabs(velocityAt(start_ + time)) < kSpringSpeed) {
            return time;
        }
    }
    return kLongestSettle;
}

double ScrollMotion::positionAt(double time) const {
    double t = time - start_;
    if (kind_ == Kind::Resting || t >= duration_) {
        return target_;
    }
    t = std::max(t, 0.0);
    switch (kind_) {
        case Kind::Coasting: return position_ + velocity_ * (1 - std::exp(-kFriction * t)) / kFriction;
        case Kind::Springing: {
            const double a = position_ - target_;
            const double b = velocity_ + kSpringRate * a;
            return target_ + (a + b * t) * std::exp(-kSpringRate * t);
        }
        case Kind::Easing: {
            const double left = 1 - t / duration_;
            return position_ + (target_ - position_) * (1 - left * left * left);
        }
        case Kind::Resting: break;
    }
    return target_;
}

double ScrollMotion::velocityAt(double time) const {
    double t = time - start_;
    if (kind_ == Kind::Resting || t >= duration_) {
        return 0;
    }
    t = std::max(t, 0.0);
    switch (kind_) {
        case Kind::Coasting: return velocity_ * std::exp(-kFriction * t);
        case Kind::Springing: {
            const double a = position_ - target_;
            const double b = velocity_ + kSpringRate * a;
            return (b - kSpringRate * (a + b * t)) * std::exp(-kSpringRate * t);
        }
        case Kind::Easing: {
            const double left = 1 - t / duration_;
            return 3 * (target_ - position_) * left * left / duration_;
        }
        case Kind::Resting: break;
    }
    return 0;
}

}  // namespace platform
