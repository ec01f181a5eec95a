#pragma once

#include "platform/foundation/Json.h"

#include <mutex>
#include <optional>
#include <string>

namespace platform {

// The per-user preference store, kept as the XML property list
// Library/Preferences/qelvo.plist of the container. Every change is written
// through at once (atomically), so nothing is lost when the process ends
// abruptly; synchronize() reports whether the file matches memory. Safe to use
// from any thread.
class UserDefaults {
public:
    static UserDefaults& standard();

    // Reads the store of the current container (called at start and by tests).
    void load();
    // Reads from an explicit file; used by load() and tests.
    void loadFrom(const std::string& path);

    std::optional<Value> objectForKey(const std::string& key) const;
    // The value when it is a string; absent otherwise.
    std::optional<std::string> stringForKey(const std::string& key) const;
    void setObject(const Value& value, const std::string& key);
    void removeObjectForKey(const std::string& key);
    bool synchronize();

private:
    bool writeLocked();

    mutable std::mutex mutex_;
    std::string path_;
    Value values_ = Value::object();
    bool dirty_ = false;
};

}  // namespace platform
