#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qelvo::demo {

// gzip framing for the "gzip=1" transfer switch.
class Gzip {
public:
    static std::optional<std::string> compress(std::string_view bytes);
    static std::optional<std::string> decompress(std::string_view bytes);
};

}  // namespace qelvo::demo
