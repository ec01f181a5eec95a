#include "RequestCounter.h"

namespace qelvo::demo {

std::uint64_t RequestCounter::next(const std::string& key) {
    std::lock_guard lock(mutex_);
    return ++counts_[key];
}

void RequestCounter::clear() {
    std::lock_guard lock(mutex_);
    counts_.clear();
}

}  // namespace qelvo::demo
