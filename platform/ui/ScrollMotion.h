#pragma once

namespace platform {

// How let-go content moves along one axis: coasting to a stop under friction,
// springing back to an edge it went past, or easing onto a page. Each is a closed
// form of the time on the run loop's clock, so the position at any moment is exact
// whatever the frame rate (and a manual clock sees the same path as the real one).
class ScrollMotion {
public:
    enum class Kind { Resting, Coasting, Springing, Easing };

    // The phone's normal friction: each millisecond the content keeps this share of its speed.
    static constexpr double kDecelerationRate = 0.998;
    // Slower than this (points per second) the content has come to rest.
    static constexpr double kRestingSpeed = 2;
    // The stiffness of the critically damped spring that pulls content back to an edge.
    static constexpr double kSpringRate = 14;
    // A spring or an ease onto a page never takes longer than this.
    static constexpr double kLongestSettle = 0.6;

    static ScrollMotion rest(double position);
    // From `position` at `start` with `velocity` (points per second) until friction stops it.
    static ScrollMotion coast(double start, double position, double velocity);
    // Towards `target`, overshooting first when `velocity` carries the content on past it.
    static ScrollMotion spring(double start, double position, double velocity, double target);
    // Onto `target` along an ease-out curve, starting with about `velocity` when it heads there.
    static ScrollMotion ease(double start, double position, double velocity, double target);

    Kind kind() const { return kind_; }
    bool isResting() const { return kind_ == Kind::Resting; }
    // Where the content comes to rest.
    double target() const { return target_; }
    double positionAt(double time) const;
    double velocityAt(double time) const;
    bool isFinishedAt(double time) const { return kind_ == Kind::Resting || time >= start_ + duration_; }

private:
    ScrollMotion(Kind kind, double start, double position, double velocity, double target);
    double springDuration() const;

    Kind kind_;
    double start_;
    double position_;
    double velocity_;
    double target_;
    double duration_ = 0;
};

}  // namespace platform
