#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

// Work that runs off the main thread: a shared pool of a few threads for
// independent tasks (global()), or a serial queue whose tasks run one after
// another in order on a thread of its own.
class DispatchQueue {
public:
    using Task = std::function<void()>;

    // `threads` workers; 1 makes the queue serial.
    explicit DispatchQueue(std::string label, unsigned threads = 1);
    ~DispatchQueue();  // finishes the queued tasks, then joins
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

    // The background pool of default priority.
    static DispatchQueue& global();

    void async(Task task);
    // Waits until every task queued before this call has finished (tests).
    void waitUntilIdle();
    const std::string& label() const { return label_; }

private:
    void workerLoop();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Task> tasks_;
    std::vector<std::thread> workers_;
    unsigned busy_ = 0;
    bool stopping_ = false;
};

}  // namespace platform
