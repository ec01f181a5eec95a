#include "TransferTally.h"

namespace qelvo::demo {

void TransferTally::add(const std::string& path, std::uint64_t bytes) {
    std::lock_guard lock(mutex_);
    bytes_[path] += bytes;
}

nlohmann::json TransferTally::toJson() const {
    auto perPath = nlohmann::json::object();
    std::uint64_t total = 0;
    std::lock_guard lock(mutex_);
    for (const auto& [path, bytes] : bytes_) {
        perPath[path] = bytes;
        total += bytes;
    }
    return {{"bytes", std::move(perPath)}, {"total", total}};
}

void TransferTally::clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
}

}  // namespace qelvo::demo
