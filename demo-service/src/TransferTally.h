#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace qelvo::demo {

// The body bytes of pictures and videos actually handed to connections, per path, so a
// test can tell how much a client fetched (and fetched again) from what was sent.
class TransferTally {
public:
    void add(const std::string& path, std::uint64_t bytes);
    // {"bytes": {"/videos/tax-101.mp4": N, ...}, "total": N}
    nlohmann::json toJson() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::uint64_t> bytes_;
};

}  // namespace qelvo::demo
