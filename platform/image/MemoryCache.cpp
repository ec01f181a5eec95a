#include "platform/image/MemoryCache.h"

#include <iterator>
#include <utility>

namespace platform {

std::shared_ptr<Image> MemoryCache::objectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto found = index_.find(key);
    if (found == index_.end()) {
        return nullptr;
    }
    order_.splice(order_.begin(), order_, found->second);
    return found->second->image;
}

void MemoryCache::setObject(const std::string& key, std::shared_ptr<Image> image, std::size_t cost) {
    if (!image) {
        removeObjectForKey(key);
        return;
    }
    std::shared_ptr<Image> replaced;  // released outside the lock
    std::lock_guard lock(mutex_);
    if (auto found = index_.find(key); found != index_.end()) {
        Entry& entry = *found->second;
        totalCost_ -= entry.cost;
        replaced = std::exchange(entry.image, std::move(image));
        entry.cost = cost;
        totalCost_ += cost;
        order_.splice(order_.begin(), order_, found->second);
    } else {
        order_.push_front(Entry{key, std::move(image), cost});
        index_.emplace(key, order_.begin());
        totalCost_ += cost;
    }
    evictLocked();
}

void MemoryCache::removeObjectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (auto found = index_.find(key); found != index_.end()) {
        eraseLocked(found->second);
    }
}

void MemoryCache::removeAllObjects() {
    Order dropped;  // released outside the lock
    std::lock_guard lock(mutex_);
    dropped.swap(order_);
    index_.clear();
    totalCost_ = 0;
}

void MemoryCache::setTotalCostLimit(std::size_t limit) {
    std::lock_guard lock(mutex_);
    totalCostLimit_ = limit;
    evictLocked();
}

std::size_t MemoryCache::totalCostLimit() const {
    std::lock_guard lock(mutex_);
    return totalCostLimit_;
}

void MemoryCache::setCountLimit(std::size_t limit) {
    std::lock_guard lock(mutex_);
    countLimit_ = limit;
    evictLocked();
}

std::size_t MemoryCache::countLimit() const {
    std::lock_guard lock(mutex_);
    return countLimit_;
}

std::size_t MemoryCache::count() const {
    std::lock_guard lock(mutex_);
    return index_.size();
}

std::size_t MemoryCache::totalCost() const {
    std::lock_guard lock(mutex_);
    return totalCost_;
}

void MemoryCache::evictLocked() {
    // The newest entry stays even when it alone exceeds the cost limit.
    while (order_.size() > 1 && ((totalCostLimit_ > 0 && totalCost_ > totalCostLimit_) ||
                                 (countLimit_ > 0 && order_.size() > countLimit_))) {
        eraseLocked(std::prev(order_.end()));
    }
}

void MemoryCache::eraseLocked(Order::iterator entry) {
    totalCost_ -= entry->cost;
    index_.erase(entry->key);
    order_.erase(entry);
}

}  // namespace platform
