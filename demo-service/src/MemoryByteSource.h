#pragma once

#include "ByteSource.h"

namespace qelvo::demo {

// A file held in memory (the pictures and sample videos are small).
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(std::string bytes, std::string etag, std::chrono::system_clock::time_point lastModified,
                     std::string contentType);

    std::uint64_t size() const override;
    void read(std::uint64_t offset, std::size_t length, std::string& out) const override;
    std::string etag() const override;
    std::chrono::system_clock::time_point lastModified() const override;
    std::string contentType() const override;

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::string etag_;
    std::chrono::system_clock::time_point lastModified_;
    std::string contentType_;
};

}  // namespace qelvo::demo
