#pragma once

#include <chrono>
#include <stop_token>

namespace qelvo::demo {

// Sleeps that end early when the service shuts down, so that slow, delayed and
// stalled transfers never hold up a stop.
class InterruptibleSleep {
public:
    // Returns true when the whole duration passed, false when a stop was requested.
    static bool sleepFor(std::stop_token stop, std::chrono::milliseconds duration);
    static bool sleepUntil(std::stop_token stop, std::chrono::steady_clock::time_point when);
};

}  // namespace qelvo::demo
