#pragma once

#include <functional>

// One load of a picture, as handed to the view: cancelling it stops what the load
// is waiting for (the cache query or the download) and keeps its completion from
// being called. Main thread only, like the manager that makes it.
class WebImageCombinedOperation {
public:
    bool isCancelled() const { return cancelled_; }
    // On an operation that is already cancelled the callback runs at once instead.
    void setCancelBlock(std::function<void()> cancelBlock);
    // Marks the operation cancelled and runs the stored callback once.
    void cancel();

private:
    bool cancelled_ = false;
    std::function<void()> cancelBlock_;
};
