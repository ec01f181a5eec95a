#include "InterruptibleSleep.h"

#include <condition_variable>
#include <mutex>

namespace qelvo::demo {

bool InterruptibleSleep::sleepFor(std::stop_token stop, std::chrono::milliseconds duration) {
    return sleepUntil(stop, std::chrono::steady_clock::now() + duration);
}

bool InterruptibleSleep::sleepUntil(std::stop_token stop, std::chrono::steady_clock::time_point when) {
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    // Nobody ever notifies besides the stop request, so the predicate only reports the stop.
    wakeUp.wait_until(lock, stop, when, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace qelvo::demo
