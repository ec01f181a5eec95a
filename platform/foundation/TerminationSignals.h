#pragma once

#include <functional>

namespace platform {

// SIGINT and SIGTERM as an event of the main run loop: the signals are blocked in every thread
// (threads started later inherit the mask) and waited for on a thread of their own, which posts
// `onSignal` with the signal's number to the main run loop. Call before starting other threads.
class TerminationSignals {
public:
    TerminationSignals() = delete;

    static void watch(std::function<void(int signal)> onSignal);
};

}  // namespace platform
