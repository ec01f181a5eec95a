#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qelvo::demo {

// UTF-8 checks and conversions for texts that travel in JSON and HTML.
class Utf8 {
public:
    static bool isValid(std::string_view text);
    // The text with every invalid byte replaced by U+FFFD, so that it can go into JSON.
    static std::string sanitise(std::string_view text);
    static std::string hex(std::string_view bytes);
    // Number of code points of a valid text.
    static std::size_t length(std::string_view text);
    // The text in GBK, the way an old server might send it; nothing when it cannot be converted.
    static std::optional<std::string> toGbk(std::string_view text);
};

}  // namespace qelvo::demo
