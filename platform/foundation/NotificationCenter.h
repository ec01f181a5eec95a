#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct Notification {
    std::string name;
    nlohmann::json userInfo;  // null when the poster gave none
};

class NotificationCenter;

// An observation lasts as long as this handle: destroying it (with its owner)
// stops delivery, also in the middle of a post.
class Observation {
public:
    Observation() = default;
    Observation(Observation&&) noexcept = default;
    Observation& operator=(Observation&& other) noexcept;
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;
    ~Observation();

    void reset();
    bool isActive() const { return static_cast<bool>(entry_); }

private:
    friend class NotificationCenter;
    struct Entry;
    Observation(NotificationCenter* center, std::shared_ptr<Entry> entry)
        : center_(center), entry_(std::move(entry)) {}
    NotificationCenter* center_ = nullptr;
    std::shared_ptr<Entry> entry_;
};

// Delivers named notifications synchronously, on the posting thread, to every
// observer of that name in the order they started observing.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    [[nodiscard]] Observation addObserver(const std::string& name, Handler handler);
    void post(const std::string& name, nlohmann::json userInfo = nullptr);
    std::size_t observerCount(const std::string& name) const;

private:
    friend class Observation;
    void remove(const std::shared_ptr<Observation::Entry>& entry);

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Observation::Entry>> entries_;
};

}  // namespace platform
