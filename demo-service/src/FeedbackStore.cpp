#include "FeedbackStore.h"

namespace qelvo::demo {

void FeedbackStore::add(Entry entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
}

std::vector<FeedbackStore::Entry> FeedbackStore::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

nlohmann::json FeedbackStore::toJson() const {
    auto list = nlohmann::json::array();
    for (const auto& entry : entries()) {
        list.push_back({{"userId", entry.userId},
                        {"content", entry.content},
                        {"from", entry.from},
                        {"time", entry.time}});
    }
    return {{"feedback", std::move(list)}};
}

void FeedbackStore::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

}  // namespace qelvo::demo
