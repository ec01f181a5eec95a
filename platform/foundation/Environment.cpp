#include "platform/foundation/Environment.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> Environment::value(const std::string& name) {
    // Read at start-up and in tests only, while no other thread changes the environment.
    const char* text = std::getenv(name.c_str());  // NOLINT(concurrency-mt-unsafe)
    if (text == nullptr || *text == '\0') {
        return std::nullopt;
    }
    return std::string(text);
}

}  // namespace platform
