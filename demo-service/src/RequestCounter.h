#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace qelvo::demo {

// Counts requests per address, so that a misbehaviour limited with "times=N" stops
// after the first N requests of that exact address.
class RequestCounter {
public:
    // Counts one more request of `key` and returns how many there were, this one included.
    std::uint64_t next(const std::string& key);
    void clear();

private:
    std::mutex mutex_;
    std::map<std::string, std::uint64_t> counts_;
};

}  // namespace qelvo::demo
