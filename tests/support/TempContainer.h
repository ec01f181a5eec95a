#pragma once

#include "platform/foundation/Container.h"
#include "platform/foundation/UserDefaults.h"

#include <unistd.h>
#include <filesystem>
#include <string>

namespace qelvo::test {

// A fresh container folder for one test, removed afterwards.
class TempContainer {
public:
    TempContainer() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelvo-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        platform::Container::shared().setHome(path_);
        platform::UserDefaults::standard().load();
    }
    ~TempContainer() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempContainer(const TempContainer&) = delete;
    TempContainer& operator=(const TempContainer&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace qelvo::test
