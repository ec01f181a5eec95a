#include "platform/net/HttpTransferRegistry.h"

#include "platform/net/HttpTransfer.h"

namespace platform {

void HttpTransferRegistry::add(HttpTaskId id, const std::shared_ptr<HttpTransfer>& transfer) {
    std::lock_guard lock(mutex_);
    transfers_[id] = transfer;
}

std::shared_ptr<HttpTransfer> HttpTransferRegistry::take(HttpTaskId id) {
    std::lock_guard lock(mutex_);
    auto it = transfers_.find(id);
    if (it == transfers_.end()) {
        return nullptr;
    }
    std::shared_ptr<HttpTransfer> transfer = it->second.lock();
    transfers_.erase(it);
    return transfer;
}

void HttpTransferRegistry::remove(HttpTaskId id) {
    std::lock_guard lock(mutex_);
    transfers_.erase(id);
}

std::size_t HttpTransferRegistry::size() const {
    std::lock_guard lock(mutex_);
    return transfers_.size();
}

}  // namespace platform
