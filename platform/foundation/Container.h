#pragma once

#include <filesystem>
#include <mutex>
#include <string>

namespace platform {

// The application's home folder, laid out as on the phone:
// Documents/, Library/Caches/, Library/Preferences/, tmp/.
class Container {
public:
    static Container& shared();

    // Chooses the home folder and creates its standard sub-folders.
    void setHome(const std::filesystem::path& home);
    // $XDG_DATA_HOME/qelvo, else ~/.local/share/qelvo.
    static std::filesystem::path defaultHome();

    std::string home() const;         // no trailing slash
    std::string documents() const;    // home + "/Documents"
    std::string caches() const;       // home + "/Library/Caches"
    std::string preferences() const;  // home + "/Library/Preferences"
    std::string tmp() const;          // home + "/tmp"

private:
    mutable std::mutex mutex_;
    std::string home_;
};

}  // namespace platform
