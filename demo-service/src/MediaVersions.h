#pragma once

#include <nlohmann/json.hpp>

#include <map>
#include <mutex>
#include <string>

namespace qelvo::demo {

// The version each picture or video address is served at, as set through the control
// endpoint: raising it "replaces the file on the server" without changing its address.
class MediaVersions {
public:
    int versionOf(const std::string& path) const;
    void set(const std::string& path, int version);
    void clear();
    nlohmann::json toJson() const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, int> versions_;
};

}  // namespace qelvo::demo
