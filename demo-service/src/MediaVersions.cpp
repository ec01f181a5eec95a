#include "MediaVersions.h"

namespace qelvo::demo {

int MediaVersions::versionOf(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = versions_.find(path);
    return found == versions_.end() ? 0 : found->second;
}

void MediaVersions::set(const std::string& path, int version) {
    std::lock_guard lock(mutex_);
    if (version == 0)
        versions_.erase(path);
    else
        versions_[path] = version;
}

void MediaVersions::clear() {
    std::lock_guard lock(mutex_);
    versions_.clear();
}

nlohmann::json MediaVersions::toJson() const {
    std::lock_guard lock(mutex_);
    auto out = nlohmann::json::object();
    for (const auto& [path, version] : versions_)
        out[path] = version;
    return out;
}

}  // namespace qelvo::demo
