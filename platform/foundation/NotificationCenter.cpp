#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <atomic>

namespace platform {

struct Observation::Entry {
    std::string name;
    NotificationCenter::Handler handler;
    std::atomic<bool> active{true};
};

Observation& Observation::operator=(Observation&& other) noexcept {
    if (this != &other) {
        reset();
        center_ = other.center_;
        entry_ = std::move(other.entry_);
        other.center_ = nullptr;
    }
    return *this;
}

Observation::~Observation() {
    reset();
}

void Observation::reset() {
    if (entry_ && center_) center_->remove(entry_);
    entry_.reset();
    center_ = nullptr;
}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter* center = new NotificationCenter();
    return *center;
}

Observation NotificationCenter::addObserver(const std::string& name, Handler handler) {
    auto entry = std::make_shared<Observation::Entry>();
    entry->name = name;
    entry->handler = std::move(handler);
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
    return Observation(this, entry);
}

void NotificationCenter::post(const std::string& name, nlohmann::json userInfo) {
    std::vector<std::shared_ptr<Observation::Entry>> targets;
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : entries_) {
            if (entry->name == name) targets.push_back(entry);
        }
    }
    const Notification notification{name, std::move(userInfo)};
    for (const auto& entry : targets) {
        // An observation ended by an earlier handler of this same post is skipped.
        if (!entry->active) continue;
        auto handler = entry->handler;  // the handler may end its own observation
        if (handler) handler(notification);
    }
}

std::size_t NotificationCenter::observerCount(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(),
                                                  [&](const auto& entry) { return entry->name == name; }));
}

void NotificationCenter::remove(const std::shared_ptr<Observation::Entry>& entry) {
    entry->active = false;
    std::lock_guard lock(mutex_);
    entries_.erase(std::remove(entries_.begin(), entries_.end(), entry), entries_.end());
}

}  // namespace platform
