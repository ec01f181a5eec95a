#pragma once

#include <atomic>
#include <cstdint>

namespace qelvo::demo {

// Counts the usage reports ("mode=1") the clients sent.
class UsageCounter {
public:
    std::uint64_t add() { return ++count_; }
    std::uint64_t count() const { return count_.load(); }
    void reset() { count_ = 0; }

private:
    std::atomic<std::uint64_t> count_{0};
};

}  // namespace qelvo::demo
