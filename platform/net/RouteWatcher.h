#pragma once

#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// Tells when the machine's routes or links change. One background thread sleeps in
// poll() on an rtnetlink socket and a wake descriptor; it costs nothing while the
// network stands still.
class RouteWatcher {
public:
    using Callback = std::function<void()>;

    RouteWatcher() = default;
    ~RouteWatcher();
    RouteWatcher(const RouteWatcher&) = delete;
    RouteWatcher& operator=(const RouteWatcher&) = delete;

    // Calls `onChange` on the watcher's thread after each burst of route or link
    // messages. False, with a logged reason, when the kernel will not tell us.
    bool start(Callback onChange);
    // Returns once the thread has ended and no callback runs any more. Safe to
    // call twice; must not be called from the callback.
    void stop();
    bool isRunning() const;

private:
    void run();
    // Reads every queued message; false when the socket failed for good.
    bool drain() const;

    mutable std::mutex mutex_;
    int netlink_ = -1;
    int wake_ = -1;
    Callback onChange_;
    std::thread thread_;
};

}  // namespace platform
