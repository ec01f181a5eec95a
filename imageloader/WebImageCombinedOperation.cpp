#include "imageloader/WebImageCombinedOperation.h"

#include "platform/foundation/MainThread.h"

#include <utility>

void WebImageCombinedOperation::setCancelBlock(std::function<void()> cancelBlock) {
    platform::assertMainThread();
    if (!cancelled_) {
        cancelBlock_ = std::move(cancelBlock);
    } else if (cancelBlock) {
        cancelBlock();
    }
}

void WebImageCombinedOperation::cancel() {
    platform::assertMainThread();
    cancelled_ = true;
    // Taken out first: the callback may drop the last reference to this operation's owner.
    std::function<void()> block = std::exchange(cancelBlock_, nullptr);
    if (block) {
        block();
    }
}
