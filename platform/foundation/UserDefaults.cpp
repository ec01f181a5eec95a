#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Container.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"

namespace platform {

UserDefaults& UserDefaults::standard() {
    static UserDefaults* defaults = new UserDefaults();
    return *defaults;
}

void UserDefaults::load() {
    const auto& container = Container::shared();
    FileSystem::createDirectories(container.preferences());
    loadFrom(container.preferences() + "/qelvo.plist");
}

void UserDefaults::loadFrom(const std::string& path) {
    std::lock_guard lock(mutex_);
    path_ = path;
    dirty_ = false;
    values_ = Value::object();
    if (!FileSystem::exists(path)) return;
    auto stored = PropertyList::read(path);
    if (stored && stored->is_object()) {
        values_ = std::move(*stored);
        return;
    }
    // An unreadable store is kept aside rather than overwritten by the next change.
    const std::string aside = path + ".unreadable";
    FileSystem::remove(aside);
    FileSystem::rename(path, aside);
    Log::shared().write("preferences unreadable, kept as " + aside);
}

std::optional<Value> UserDefaults::objectForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return *it;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(key);
    if (it == values_.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

void UserDefaults::setObject(const Value& value, const std::string& key) {
    std::lock_guard lock(mutex_);
    if (value.is_null()) {
        values_.erase(key);  // setting nothing removes the key, as the platform does
    } else {
        values_[key] = value;
    }
    dirty_ = true;
    writeLocked();
}

void UserDefaults::removeObjectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (values_.erase(key) == 0) return;
    dirty_ = true;
    writeLocked();
}

bool UserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    if (!dirty_) return true;
    return writeLocked();
}

bool UserDefaults::writeLocked() {
    if (path_.empty()) return false;  // not loaded yet: kept in memory only
    if (PropertyList::writeAtomically(values_, path_)) {
        dirty_ = false;
        return true;
    }
    return false;
}

}  // namespace platform
