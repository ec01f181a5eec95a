#pragma once

#include <string_view>

namespace platform {

// How deeply the arrays and dictionaries of a property list nest, found before any
// reader builds it. libplist reads both forms by recursing once per level, so a file
// nested a hundred thousand levels deep would exhaust the stack inside it; this
// looks first, without recursing and without building anything.
class PropertyListDepth {
public:
    // Whether the bytes, XML or binary ("bplist00"), nest containers more than `limit`
    // levels deep (a container holding only plain values is one level), or hold a
    // container that contains itself. Bytes it cannot make out are left to the reader,
    // which refuses them.
    static bool exceeds(std::string_view bytes, int limit);

private:
    static bool xmlExceeds(std::string_view xml, int limit);
    static bool binaryExceeds(std::string_view bytes, int limit);
};

}  // namespace platform
