#pragma once

#include "ByteSource.h"

namespace qelvo::demo {

// A file of any size whose bytes are computed from their position and the file's
// version, so that a client test can check every byte it received without the file
// existing anywhere. Byte i of version v is byteAt(i, v):
//   x = i + v * 0x9E3779B97F4A7C15; x ^= x >> 33; x *= 0xFF51AFD7ED558CCD; x ^= x >> 33;
//   byte = x & 0xFF   (64-bit unsigned arithmetic)
class SyntheticByteSource : public ByteSource {
public:
    SyntheticByteSource(std::uint64_t size, int version, std::string contentType);

    static unsigned char byteAt(std::uint64_t offset, int version);
    // The whole content of a small synthetic file, for tests.
    static std::string bytes(std::uint64_t size, int version);

    std::uint64_t size() const override;
    void read(std::uint64_t offset, std::size_t length, std::string& out) const override;
    std::string etag() const override;
    std::chrono::system_clock::time_point lastModified() const override;
    std::string contentType() const override;

private:
    std::uint64_t size_;
    int version_;
    std::string contentType_;
};

}  // namespace qelvo::demo
