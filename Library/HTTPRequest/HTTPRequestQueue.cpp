#include "Library/HTTPRequest/HTTPRequestQueue.h"

#include "Library/HTTPRequest/HTTPRequest.h"

#include <algorithm>

HTTPRequestQueue& HTTPRequestQueue::shared() {
    static HTTPRequestQueue queue;
    return queue;
}

void HTTPRequestQueue::add(const std::shared_ptr<HTTPRequest>& request) {
    waiting_.push_back(request);
    startWaiting();
}

void HTTPRequestQueue::remove(const HTTPRequest& request) {
    auto same = [&request](const std::shared_ptr<HTTPRequest>& entry) { return entry.get() == &request; };
    // Keeps the request alive until this call is over: the caller may be its last owner.
    std::shared_ptr<HTTPRequest> keep;
    if (auto it = std::find_if(running_.begin(), running_.end(), same); it != running_.end()) {
        keep = *it;
        running_.erase(it);
    }
    if (auto it = std::find_if(waiting_.begin(), waiting_.end(), same); it != waiting_.end()) {
        keep = *it;
        waiting_.erase(it);
    }
    startWaiting();
}

void HTTPRequestQueue::startWaiting() {
    while (running_.size() < kMaxConcurrent && !waiting_.empty()) {
        std::shared_ptr<HTTPRequest> next = waiting_.front();
        waiting_.pop_front();
        running_.push_back(next);
        // A request that cannot start ends at once and calls remove() itself.
        next->beginTransfer();
    }
}
