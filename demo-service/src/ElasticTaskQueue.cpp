#include "ElasticTaskQueue.h"

#include <algorithm>

namespace qelvo::demo {

ElasticTaskQueue::ElasticTaskQueue(std::size_t maxThreads)
    : maxThreads_(std::max<std::size_t>(maxThreads, 1)) {}

ElasticTaskQueue::~ElasticTaskQueue() {
    shutdown();
}

void ElasticTaskQueue::enqueue(std::function<void()> job) {
    std::lock_guard lock(mutex_);
    if (shuttingDown_) return;
    jobs_.push_back(std::move(job));
    // Every queued job beyond the idle workers needs a thread of its own.
    if (jobs_.size() > idle_ && threads_.size() < maxThreads_) threads_.emplace_back([this] { work(); });
    jobReady_.notify_one();
}

void ElasticTaskQueue::shutdown() {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        shuttingDown_ = true;
        threads.swap(threads_);
    }
    jobReady_.notify_all();
    for (auto& thread : threads) {
        if (thread.joinable()) thread.join();
    }
}

std::size_t ElasticTaskQueue::threadCount() const {
    std::lock_guard lock(mutex_);
    return threads_.size();
}

void ElasticTaskQueue::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            ++idle_;
            jobReady_.wait(lock, [this] { return shuttingDown_ || !jobs_.empty(); });
            --idle_;
            // Connections already accepted are still served (and closed) at shutdown.
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

}  // namespace qelvo::demo
