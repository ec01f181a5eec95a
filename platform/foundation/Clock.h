#pragma once

#include <chrono>
#include <mutex>

namespace platform {

class RunLoop;

// Monotonic time for timers and wall-clock time for dates come from one clock,
// so a test that advances time moves both together.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Date = std::chrono::system_clock::time_point;

    virtual ~Clock() = default;
    // Seconds from `from` to `to` (negative when `to` is earlier).
    static double secondsBetween(Date from, Date to);
    // The date `seconds` after `date` (before it when negative).
    static Date dateAdding(Date date, double seconds);

    virtual TimePoint now() const = 0;
    virtual Date wallNow() const = 0;
    // True when time only moves by advance(): the run loop then never waits for it.
    virtual bool isManual() const { return false; }
};

class RealClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    Date wallNow() const override { return std::chrono::system_clock::now(); }
};

// Time that stands still until a test moves it. Advancing it through the run loop
// that owns it fires the timers that fall due, in order of their deadlines.
class ManualClock final : public Clock {
public:
    explicit ManualClock(Date wallStart = Date(std::chrono::seconds(1'700'000'000)));

    TimePoint now() const override;
    Date wallNow() const override;
    bool isManual() const override { return true; }

    // Moves time forward by the given number of seconds. When a run loop owns this
    // clock, due timers fire on the calling thread (the main thread) as time passes.
    void advance(double seconds);
    // Moves time without firing anything (used by the run loop itself).
    void setElapsed(std::chrono::nanoseconds elapsed);
    std::chrono::nanoseconds elapsed() const;
    void setWallStart(Date wallStart);

private:
    friend class RunLoop;
    mutable std::mutex mutex_;
    std::chrono::nanoseconds elapsed_{0};
    Date wallStart_;
    TimePoint base_;
    RunLoop* owner_ = nullptr;
};

}  // namespace platform
