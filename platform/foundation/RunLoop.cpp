#include "platform/foundation/RunLoop.h"

#include <cassert>
#include <cmath>

namespace platform {

struct Timer::State {
    RunLoop::Task task;
    std::chrono::nanoseconds interval{0};  // zero for a one-shot call
    bool cancelled = false;
    bool fired = false;
};

void Timer::cancel() {
    if (state_) {
        state_->cancelled = true;
        state_->task = nullptr;  // releases what the call captured
    }
}

bool Timer::isValid() const {
    return state_ && !state_->cancelled && !state_->fired;
}

namespace {
std::chrono::nanoseconds toDuration(double seconds) {
    if (!(seconds > 0)) return std::chrono::nanoseconds(0);
    return std::chrono::nanoseconds(static_cast<long long>(std::llround(seconds * 1e9)));
}
}  // namespace

RunLoop::RunLoop() : clock_(std::make_shared<RealClock>()), loopThread_(std::this_thread::get_id()) {}

RunLoop::~RunLoop() {
    if (auto* manual = dynamic_cast<ManualClock*>(clock_.get())) {
        std::lock_guard lock(manual->mutex_);
        if (manual->owner_ == this) manual->owner_ = nullptr;
    }
}

RunLoop& RunLoop::main() {
    static RunLoop* loop = new RunLoop();  // lives as long as the process
    return *loop;
}

void RunLoop::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void RunLoop::postAndWait(const Task& task) {
    if (isLoopThread()) {
        task();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    post([&] {
        task();
        std::lock_guard lock(doneMutex);
        done = true;
        doneSignal.notify_all();
    });
    std::unique_lock lock(doneMutex);
    doneSignal.wait(lock, [&] { return done; });
}

Timer RunLoop::schedule(double seconds, Task task) {
    return addTimer(seconds, 0, std::move(task));
}

Timer RunLoop::scheduleRepeating(double seconds, Task task) {
    return addTimer(seconds, seconds > 0 ? seconds : 0.001, std::move(task));
}

Timer RunLoop::addTimer(double seconds, double interval, Task task) {
    auto state = std::make_shared<Timer::State>();
    state->task = std::move(task);
    state->interval = toDuration(interval);
    {
        std::lock_guard lock(mutex_);
        const auto deadline = clock_->now() + toDuration(seconds);
        timers_.emplace(std::make_pair(deadline, sequence_++), state);
    }
    wake_.notify_all();
    return Timer(state);
}

std::optional<Clock::TimePoint> RunLoop::nextDeadline() const {
    for (const auto& [key, state] : timers_) {
        if (!state->cancelled) return key.first;
    }
    return std::nullopt;
}

bool RunLoop::runOnePass() {
    bool ranSomething = false;
    // Posted tasks first, only those present now: a task that posts another does
    // not starve the timers.
    std::deque<Task> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(posted_);
    }
    for (auto& task : batch) {
        tasksStarted_.fetch_add(1, std::memory_order_relaxed);
        if (task) task();
        ranSomething = true;
    }
    // Then every timer due now, one at a time, in deadline order.
    for (;;) {
        std::shared_ptr<Timer::State> state;
        {
            std::lock_guard lock(mutex_);
            const auto now = clock_->now();
            auto it = timers_.begin();
            while (it != timers_.end() && it->second->cancelled)
                it = timers_.erase(it);
            if (it == timers_.end() || it->first.first > now) break;
            state = it->second;
            const auto deadline = it->first.first;
            timers_.erase(it);
            if (state->interval.count() > 0) {
                timers_.emplace(std::make_pair(deadline + state->interval, sequence_++), state);
            }
        }
        ranSomething = true;
        tasksStarted_.fetch_add(1, std::memory_order_relaxed);
        if (state->interval.count() == 0) {
            state->fired = true;
            Task task = std::move(state->task);
            state->task = nullptr;
            if (task) task();
        } else if (state->task) {
            Task copy = state->task;  // the timer may cancel itself while running
            copy();
        }
    }
    return ranSomething;
}

void RunLoop::runPending() {
    while (runOnePass()) {
    }
}

void RunLoop::run() {
    adoptCurrentThread();
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    for (;;) {
        runOnePass();
        std::unique_lock lock(mutex_);
        if (stopRequested_) {
            stopRequested_ = false;
            return;
        }
        if (!posted_.empty()) continue;
        const auto deadline = nextDeadline();
        if (deadline && *deadline <= clock_->now()) continue;
        if (!deadline || clock_->isManual()) {
            // A manual clock only moves through advance(), which fires its own timers.
            wake_.wait(lock, [&] { return stopRequested_ || !posted_.empty(); });
        } else {
            const auto wait = *deadline - clock_->now();
            wake_.wait_for(lock, wait);
        }
    }
}

void RunLoop::stop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

bool RunLoop::runUntil(const std::function<bool()>& done, double timeoutSeconds) {
    const auto limit = std::chrono::steady_clock::now() + toDuration(timeoutSeconds);
    for (;;) {
        runPending();
        if (done()) return true;
        const auto realNow = std::chrono::steady_clock::now();
        if (realNow >= limit) return false;
        std::unique_lock lock(mutex_);
        if (!posted_.empty()) continue;
        auto wait = limit - realNow;
        if (!clock_->isManual()) {
            if (const auto deadline = nextDeadline()) {
                wait = std::min<std::chrono::steady_clock::duration>(wait, *deadline - clock_->now());
            }
        }
        // Short naps bound the wait even if the predicate depends on other threads.
        wait = std::min<std::chrono::steady_clock::duration>(wait, std::chrono::milliseconds(20));
        if (wait.count() > 0) wake_.wait_for(lock, wait);
    }
}

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
    assert(clock);
    std::lock_guard lock(mutex_);
    if (auto* old = dynamic_cast<ManualClock*>(clock_.get())) {
        std::lock_guard clockLock(old->mutex_);
        if (old->owner_ == this) old->owner_ = nullptr;
    }
    clock_ = std::move(clock);
    if (auto* manual = dynamic_cast<ManualClock*>(clock_.get())) {
        std::lock_guard clockLock(manual->mutex_);
        manual->owner_ = this;
    }
}

Clock& RunLoop::clock() const {
    std::lock_guard lock(mutex_);
    return *clock_;
}

std::shared_ptr<Clock> RunLoop::sharedClock() const {
    std::lock_guard lock(mutex_);
    return clock_;
}

double RunLoop::secondsSince(Clock::TimePoint start) const {
    return std::chrono::duration<double>(clock().now() - start).count();
}

bool RunLoop::isLoopThread() const {
    std::lock_guard lock(mutex_);
    return loopThread_ == std::this_thread::get_id();
}

bool RunLoop::hasThread() const {
    std::lock_guard lock(mutex_);
    return loopThread_ != std::thread::id();
}

void RunLoop::adoptCurrentThread() {
    std::lock_guard lock(mutex_);
    loopThread_ = std::this_thread::get_id();
}

std::size_t RunLoop::pendingTimerCount() const {
    std::lock_guard lock(mutex_);
    std::size_t count = 0;
    for (const auto& entry : timers_) {
        if (!entry.second->cancelled) ++count;
    }
    return count;
}

void RunLoop::reset() {
    std::deque<Task> posted;
    decltype(timers_) timers;
    {
        std::lock_guard lock(mutex_);
        posted.swap(posted_);
        timers.swap(timers_);
        stopRequested_ = false;
    }
    // Destroyed outside the lock: captured objects may post while going away.
    for (auto& entry : timers)
        entry.second->cancelled = true;
}

void RunLoop::advanceManualClock(ManualClock& clock, std::chrono::nanoseconds target) {
    // Steps through each deadline up to the target so timers fire in order, each
    // seeing the clock at its own deadline; work they post runs before later ones.
    for (;;) {
        runPending();
        std::optional<std::chrono::nanoseconds> next;
        {
            std::lock_guard lock(mutex_);
            if (const auto deadline = nextDeadline()) {
                const auto base = clock.now() - clock.elapsed();
                next = std::chrono::duration_cast<std::chrono::nanoseconds>(*deadline - base);
            }
        }
        if (!next || *next > target) break;
        clock.setElapsed(*next);
    }
    clock.setElapsed(target);
    runPending();
}

}  // namespace platform
