#include "imageloader/WebImageCombinedOperation.h"

void WebImageCombinedOperation::setCancelBlock(std::function<void()> cancelBlock) {
    {
        std::lock_guard lock(mutex_);
        if (!isCancelled()) {
            cancelBlock_ = std::move(cancelBlock);
            return;
        }
    }
    if (cancelBlock) {
        cancelBlock();
    }
}

void WebImageCombinedOperation::cancel() {
    std::function<void()> block;
    {
        std::lock_guard lock(mutex_);
        cancelled_.store(true, std::memory_order_release);
        block = std::move(cancelBlock_);
        cancelBlock_ = nullptr;
    }
    if (block) {
        block();
    }
}
