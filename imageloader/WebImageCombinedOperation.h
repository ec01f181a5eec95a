#pragma once

#include <atomic>
#include <functional>
#include <mutex>

// One load of a picture, as handed to the view: cancelling it stops what the load
// is waiting for (the cache query or the download) and keeps its completion from
// being called.
class WebImageCombinedOperation {
public:
    bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }
    // On an operation that is already cancelled the callback runs at once instead.
    void setCancelBlock(std::function<void()> cancelBlock);
    // Marks the operation cancelled and runs the stored callback once.
    void cancel();

private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::function<void()> cancelBlock_;
};
