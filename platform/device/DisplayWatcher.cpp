#include "platform/device/DisplayWatcher.h"

#include "platform/foundation/RunLoop.h"

namespace platform {

namespace {

// A page reconnects or asks again within this time after an answer; the watcher
// keeps looking meanwhile so the next change is not missed.
constexpr auto kListenerGrace = std::chrono::seconds(2);
// How often a snapshot that the main loop has not taken yet looks whether it
// should give up (the watcher is stopping).
constexpr auto kStopCheck = std::chrono::milliseconds(50);

}  // namespace

DisplayWatcher::DisplayWatcher(RunLoop& loop, std::function<std::string()> snapshot,
                               std::chrono::milliseconds interval)
    : loop_(loop), snapshot_(std::move(snapshot)), interval_(interval) {
    thread_ = std::thread([this] { watch(); });
}

DisplayWatcher::~DisplayWatcher() {
    stop();
}

void DisplayWatcher::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
    listened_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool DisplayWatcher::isStopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

std::uint64_t DisplayWatcher::snapshotsTaken() const {
    std::lock_guard lock(mutex_);
    return snapshots_;
}

int DisplayWatcher::waitingListeners() const {
    std::lock_guard lock(mutex_);
    return waiting_;
}

bool DisplayWatcher::hasListeners(std::chrono::steady_clock::time_point now) const {
    return waiting_ > 0 || now - lastListened_ < kListenerGrace;
}

std::optional<DisplayWatcher::Revision> DisplayWatcher::waitNewer(std::uint64_t known,
                                                                  std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (stopped_) return std::nullopt;
    ++waiting_;
    lastListened_ = std::chrono::steady_clock::now();
    listened_.notify_all();
    changed_.wait_for(lock, wait, [&] { return stopped_ || current_.number > known; });
    --waiting_;
    lastListened_ = std::chrono::steady_clock::now();
    if (stopped_ || current_.number <= known) return std::nullopt;
    return current_;
}

// Runs the snapshot on the main loop and waits for it. The task owns what it
// writes to, so a watcher that gives up (stopping) leaves it nothing dangling.
std::optional<DisplayWatcher::Snapshot> DisplayWatcher::takeSnapshot() {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Snapshot> result;
        bool finished = false;
    };
    auto shared = std::make_shared<Shared>();
    loop_.post([shared, snapshot = snapshot_, &loop = loop_] {
        std::optional<Snapshot> result;
        try {
            // Counted from inside this task, which the count already includes: any
            // later task (and only such) makes it move again.
            result = Snapshot{snapshot(), loop.tasksStarted()};
        } catch (...) {  // a failed snapshot shows nothing new; the app goes on
        }
        std::lock_guard lock(shared->mutex);
        shared->result = std::move(result);
        shared->finished = true;
        shared->done.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    while (!shared->done.wait_for(lock, kStopCheck, [&] { return shared->finished; })) {
        if (isStopped()) return std::nullopt;
    }
    return std::move(shared->result);
}

void DisplayWatcher::watch() {
    std::optional<std::uint64_t> seenTasks;
    std::unique_lock lock(mutex_);
    while (!stopped_) {
        if (!hasListeners(std::chrono::steady_clock::now())) {
            listened_.wait(lock, [&] { return stopped_ || waiting_ > 0; });
            continue;
        }
        const std::uint64_t tasks = loop_.tasksStarted();
        if (!seenTasks || tasks != *seenTasks) {
            lock.unlock();
            auto snapshot = takeSnapshot();
            lock.lock();
            if (snapshot) {
                ++snapshots_;
                seenTasks = snapshot->tasks;
                if (!current_.tree || *current_.tree != snapshot->tree) {
                    current_.number += 1;
                    current_.tree = std::make_shared<const std::string>(std::move(snapshot->tree));
                    changed_.notify_all();
                }
            }
        }
        listened_.wait_for(lock, interval_, [&] { return stopped_; });
    }
}

}  // namespace platform
