#include "platform/foundation/Container.h"

#include "platform/foundation/FileSystem.h"

#include <cstdlib>

namespace platform {

Container& Container::shared() {
    static Container* container = new Container();
    return *container;
}

std::filesystem::path Container::defaultHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        return std::filesystem::path(xdg) / "qelvo";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share" / "qelvo";
}

void Container::setHome(const std::filesystem::path& home) {
    std::error_code error;
    auto absolute = std::filesystem::absolute(home, error);
    std::string path = (error ? home : absolute).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    {
        std::lock_guard lock(mutex_);
        home_ = path;
    }
    for (const auto& folder : {documents(), caches(), preferences(), tmp()}) {
        FileSystem::createDirectories(folder);
    }
}

std::string Container::home() const {
    std::lock_guard lock(mutex_);
    if (home_.empty()) return defaultHome().string();
    return home_;
}

std::string Container::documents() const {
    return home() + "/Documents";
}
std::string Container::caches() const {
    return home() + "/Library/Caches";
}
std::string Container::preferences() const {
    return home() + "/Library/Preferences";
}
std::string Container::tmp() const {
    return home() + "/tmp";
}

}  // namespace platform
