#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace qelvo::demo {

// The bytes of one served file (a picture, a video, a synthetic file) with its validators.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t size() const = 0;
    // Appends the bytes [offset, offset + length) to `out`; the range lies inside the file.
    virtual void read(std::uint64_t offset, std::size_t length, std::string& out) const = 0;
    virtual std::string etag() const = 0;  // with its quotes
    virtual std::chrono::system_clock::time_point lastModified() const = 0;
    virtual std::string contentType() const = 0;
};

}  // namespace qelvo::demo
