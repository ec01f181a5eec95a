#include "platform/foundation/DispatchQueue.h"

#include <algorithm>

namespace platform {

DispatchQueue::DispatchQueue(std::string label, unsigned threads) : label_(std::move(label)) {
    threads = std::max(1u, threads);
    workers_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i) {
        workers_.emplace_back([this] { workerLoop(); });
    }
}

DispatchQueue::~DispatchQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& worker : workers_)
        worker.join();
}

DispatchQueue& DispatchQueue::global() {
    // A small pool: the work sent here is short (rebuilding lists, decoding pictures).
    static DispatchQueue* queue = new DispatchQueue("global.default", 4);
    return *queue;
}

void DispatchQueue::async(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void DispatchQueue::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [&] { return tasks_.empty() && busy_ == 0; });
}

void DispatchQueue::workerLoop() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty()) return;  // stopping, and everything queued has run
            task = std::move(tasks_.front());
            tasks_.pop_front();
            ++busy_;
        }
        if (task) task();
        task = nullptr;
        {
            std::lock_guard lock(mutex_);
            --busy_;
            if (tasks_.empty() && busy_ == 0) idle_.notify_all();
        }
    }
}

}  // namespace platform
