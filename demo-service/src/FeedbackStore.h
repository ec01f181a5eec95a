#pragma once

#include <nlohmann/json.hpp>

#include <mutex>
#include <string>
#include <vector>

namespace qelvo::demo {

// The feedback received, from the app ("mode=kym8.7") and from the feedback page.
class FeedbackStore {
public:
    struct Entry {
        std::string userId;
        std::string content;
        std::string from;  // "app" or "page"
        std::string time;
    };

    void add(Entry entry);
    std::vector<Entry> entries() const;
    nlohmann::json toJson() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace qelvo::demo
