#pragma once

#include "ServiceContent.h"

#include <filesystem>
#include <optional>
#include <string>

namespace qelvo::demo {

// Reads the service's content from "<data>/content/*.json" (courses, news, home,
// search, accounts) and checks that every reference between them resolves.
class ContentLoader {
public:
    // On failure returns nothing and says why in `error` (file and item).
    static std::optional<ServiceContent> load(const std::filesystem::path& dataDir, std::string& error);
};

}  // namespace qelvo::demo
