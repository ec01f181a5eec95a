#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qelvo::demo {

// The server's connection queue. It starts a new worker whenever every worker is
// busy (up to a limit), so that a deliberately stalled or throttled transfer never
// keeps other clients waiting for a free thread.
class ElasticTaskQueue : public httplib::TaskQueue {
public:
    explicit ElasticTaskQueue(std::size_t maxThreads);
    ~ElasticTaskQueue() override;

    ElasticTaskQueue(const ElasticTaskQueue&) = delete;
    ElasticTaskQueue& operator=(const ElasticTaskQueue&) = delete;

    void enqueue(std::function<void()> job) override;
    void shutdown() override;

    std::size_t threadCount() const;

private:
    void work();

    const std::size_t maxThreads_;
    mutable std::mutex mutex_;
    std::condition_variable jobReady_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool shuttingDown_ = false;
};

}  // namespace qelvo::demo
