#pragma once

#include <cstddef>

namespace platform {

// A range of text, in bytes of its UTF-8 form.
struct TextRange {
    std::size_t location = 0;
    std::size_t length = 0;
};

}  // namespace platform
