#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace platform {

class RunLoop;

// Tells the browser display when what the app shows has changed. While at least one
// page listens, a thread looks every few milliseconds whether the main loop ran any
// task since the last look (an atomic read, no work for the app); only then does it
// take a snapshot of the view tree on the main loop, and a snapshot that differs from
// the last one starts a new revision. An idle app is never woken.
class DisplayWatcher {
public:
    // `snapshot` runs on `loop`'s thread and returns the serialized tree.
    DisplayWatcher(RunLoop& loop, std::function<std::string()> snapshot,
                   std::chrono::milliseconds interval = std::chrono::milliseconds(8));
    ~DisplayWatcher();
    DisplayWatcher(const DisplayWatcher&) = delete;
    DisplayWatcher& operator=(const DisplayWatcher&) = delete;

    struct Revision {
        std::uint64_t number = 0;
        std::shared_ptr<const std::string> tree;
    };

    // Any thread. Waits up to `wait` for a revision newer than `known` (0 gets the
    // first one) and returns it; nothing on time-out or once stopped. The caller
    // counts as a listener while it waits and for a short while after.
    std::optional<Revision> waitNewer(std::uint64_t known, std::chrono::milliseconds wait);
    // Releases every waiting caller and ends the thread; later waits return at once.
    void stop();
    bool isStopped() const;
    // How many snapshots were taken (for tests of the idle behaviour).
    std::uint64_t snapshotsTaken() const;
    // How many callers wait in waitNewer now, so a test can act once one surely waits.
    int waitingListeners() const;

private:
    void watch();
    bool hasListeners(std::chrono::steady_clock::time_point now) const;
    struct Snapshot {
        std::string tree;
        std::uint64_t tasks = 0;  // tasks the loop had started, this one included
    };
    std::optional<Snapshot> takeSnapshot();

    RunLoop& loop_;
    std::function<std::string()> snapshot_;
    std::chrono::milliseconds interval_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;   // a new revision, or stopping
    std::condition_variable listened_;  // a listener arrived, or stopping
    bool stopped_ = false;
    int waiting_ = 0;
    std::chrono::steady_clock::time_point lastListened_{};
    Revision current_;
    std::uint64_t snapshots_ = 0;
    std::thread thread_;
};

}  // namespace platform
