#pragma once

#include <optional>
#include <string>

namespace platform {

// The process's environment variables.
class Environment {
public:
    Environment() = delete;

    // The value of `name`; absent when it is not set or set to nothing.
    static std::optional<std::string> value(const std::string& name);
};

}  // namespace platform
