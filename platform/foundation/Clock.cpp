#include "platform/foundation/Clock.h"

#include "platform/foundation/RunLoop.h"

#include <cmath>

namespace platform {

double Clock::secondsBetween(Date from, Date to) {
    return std::chrono::duration<double>(to - from).count();
}

Clock::Date Clock::dateAdding(Date date, double seconds) {
    return date + std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
}

ManualClock::ManualClock(Date wallStart) : wallStart_(wallStart), base_(std::chrono::steady_clock::now()) {}

Clock::TimePoint ManualClock::now() const {
    std::lock_guard lock(mutex_);
    return base_ + elapsed_;
}

Clock::Date ManualClock::wallNow() const {
    std::lock_guard lock(mutex_);
    return wallStart_ + std::chrono::duration_cast<Date::duration>(elapsed_);
}

void ManualClock::advance(double seconds) {
    if (!(seconds > 0)) return;
    const auto step = std::chrono::nanoseconds(static_cast<long long>(std::llround(seconds * 1e9)));
    RunLoop* owner = nullptr;
    std::chrono::nanoseconds target;
    {
        std::lock_guard lock(mutex_);
        target = elapsed_ + step;
        owner = owner_;
    }
    if (owner) {
        owner->advanceManualClock(*this, target);
    } else {
        setElapsed(target);
    }
}

void ManualClock::setElapsed(std::chrono::nanoseconds elapsed) {
    std::lock_guard lock(mutex_);
    if (elapsed > elapsed_) elapsed_ = elapsed;
}

std::chrono::nanoseconds ManualClock::elapsed() const {
    std::lock_guard lock(mutex_);
    return elapsed_;
}

void ManualClock::setWallStart(Date wallStart) {
    std::lock_guard lock(mutex_);
    wallStart_ = wallStart;
}

}  // namespace platform
