#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace platform {

// The platform's cache with costs for decoded pictures. Safe on any thread. With a
// cost or count limit (0 = none), adding past the limit evicts the pictures used
// least recently until the cache is within it again.
class MemoryCache {
public:
    MemoryCache() = default;
    MemoryCache(const MemoryCache&) = delete;
    MemoryCache& operator=(const MemoryCache&) = delete;

    std::shared_ptr<Image> objectForKey(const std::string& key);
    void setObject(const std::string& key, std::shared_ptr<Image> image, std::size_t cost = 0);
    void removeObjectForKey(const std::string& key);
    void removeAllObjects();

    void setTotalCostLimit(std::size_t limit);
    std::size_t totalCostLimit() const;
    void setCountLimit(std::size_t limit);
    std::size_t countLimit() const;

    std::size_t count() const;
    std::size_t totalCost() const;

private:
    struct Entry {
        std::string key;
        std::shared_ptr<Image> image;
        std::size_t cost = 0;
    };
    using Order = std::list<Entry>;  // most recently used first

    void evictLocked();
    void eraseLocked(Order::iterator entry);

    mutable std::mutex mutex_;
    Order order_;
    std::unordered_map<std::string, Order::iterator> index_;
    std::size_t totalCost_ = 0;
    std::size_t totalCostLimit_ = 0;
    std::size_t countLimit_ = 0;
};

}  // namespace platform
