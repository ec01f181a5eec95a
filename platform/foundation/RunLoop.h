#pragma once

#include "platform/foundation/Clock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {

// A handle on a scheduled call. Copies share the call; cancel() from the main
// thread guarantees it will not run. Dropping the handle does not cancel it.
class Timer {
public:
    Timer() = default;
    void cancel();
    bool isValid() const;  // scheduled and neither fired (one-shot) nor cancelled

private:
    friend class RunLoop;
    struct State;
    explicit Timer(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

// The main thread's event loop. Any thread may post work; timers and delayed calls
// run on the thread that runs the loop, in deadline order, measured on the loop's clock.
// The loop sleeps while there is nothing to do.
class RunLoop {
public:
    using Task = std::function<void()>;

    RunLoop();
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    static RunLoop& main();

    // Thread-safe. Tasks run in the order they were posted.
    void post(Task task);
    // Runs the task on the loop's thread and waits for it; runs it at once when
    // called on that thread.
    void postAndWait(const Task& task);

    // Main thread. A call after `seconds` (0 runs it on the next turn of the loop).
    Timer schedule(double seconds, Task task);
    // Main thread. A call every `seconds` until cancelled.
    Timer scheduleRepeating(double seconds, Task task);

    // Runs until stop(). The calling thread becomes the loop's thread.
    void run();
    // Thread-safe: run() returns after the task that is running now.
    void stop();
    // For tests: runs posted tasks and due timers until `done` is true or `timeoutSeconds`
    // of real time have passed. Returns whether `done` became true.
    bool runUntil(const std::function<bool()>& done, double timeoutSeconds = 10.0);
    // Runs what is ready now (posted tasks, due timers) without waiting.
    void runPending();

    // Takes ownership of the clock; a ManualClock then fires timers as it advances.
    void setClock(std::shared_ptr<Clock> clock);
    Clock& clock() const;
    // The clock itself, for what must read it from other threads.
    std::shared_ptr<Clock> sharedClock() const;
    double secondsSince(Clock::TimePoint start) const;

    bool isLoopThread() const;
    // Whether a thread runs or has adopted the loop.
    bool hasThread() const;
    // Makes the calling thread the loop's thread (tests that never call run()).
    void adoptCurrentThread();
    // Number of pending timers (cancelled ones excluded); for tests and diagnostics.
    std::size_t pendingTimerCount() const;
    // Any thread: how many tasks and timer calls the loop has started so far. A
    // watcher that sees it unchanged knows the app did nothing in between.
    std::uint64_t tasksStarted() const { return tasksStarted_.load(std::memory_order_relaxed); }
    // Drops every posted task and timer (tests reset the main loop between cases).
    void reset();

private:
    friend class ManualClock;
    struct Entry;
    Timer addTimer(double seconds, double interval, Task task);
    bool runOnePass();  // returns whether anything ran
    void advanceManualClock(ManualClock& clock, std::chrono::nanoseconds target);
    std::optional<Clock::TimePoint> nextDeadline() const;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> posted_;
    std::multimap<std::pair<Clock::TimePoint, std::uint64_t>, std::shared_ptr<Timer::State>> timers_;
    std::uint64_t sequence_ = 0;
    std::shared_ptr<Clock> clock_;
    std::thread::id loopThread_;
    bool stopRequested_ = false;
    std::atomic<std::uint64_t> tasksStarted_{0};
};

}  // namespace platform
