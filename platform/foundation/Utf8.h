#pragma once

#include <string>

namespace platform {

// UTF-8 encoding of single code points, for text decoded from character references.
class Utf8 {
public:
    // Appends `codePoint`; NUL, surrogates and values past U+10FFFF become U+FFFD.
    static void append(std::string& out, unsigned long codePoint);
};

}  // namespace platform
