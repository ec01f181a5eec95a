#pragma once

#include <cstdint>
#include <string_view>

namespace qelvo::demo {

// One "Range: bytes=..." request against a file of known size.
struct ByteRange {
    enum class Kind {
        None,           // no usable Range: send the whole file (also for several ranges)
        Satisfiable,    // send [first, last]
        Unsatisfiable,  // 416
    };

    Kind kind = Kind::None;
    std::uint64_t first = 0;
    std::uint64_t last = 0;  // inclusive

    std::uint64_t length() const { return last - first + 1; }

    // "bytes=a-b", "bytes=a-" and "bytes=-n" are understood; a header that cannot be
    // read, or one that asks for several ranges, is ignored as HTTP allows.
    static ByteRange parse(std::string_view header, std::uint64_t size);
};

}  // namespace qelvo::demo
