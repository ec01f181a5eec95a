#include "SyntheticByteSource.h"

#include <fmt/format.h>

#include <algorithm>

namespace qelvo::demo {

SyntheticByteSource::SyntheticByteSource(std::uint64_t size, int version, std::string contentType)
    : size_(size), version_(version), contentType_(std::move(contentType)) {}

unsigned char SyntheticByteSource::byteAt(std::uint64_t offset, int version) {
    std::uint64_t x = offset + static_cast<std::uint64_t>(version) * 0x9E3779B97F4A7C15ULL;
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDULL;
    x ^= x >> 33;
    return static_cast<unsigned char>(x & 0xFF);
}

std::string SyntheticByteSource::bytes(std::uint64_t size, int version) {
    std::string out;
    SyntheticByteSource(size, version, {}).read(0, static_cast<std::size_t>(size), out);
    return out;
}

std::uint64_t SyntheticByteSource::size() const {
    return size_;
}

void SyntheticByteSource::read(std::uint64_t offset, std::size_t length, std::string& out) const {
    if (offset >= size_) return;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
    const auto first = out.size();
    out.resize(first + count);
    // Filled through a pointer, byteAt() inlined: a loop without a capacity check per byte runs
    // several times faster, so on loopback the service is not what limits a download.
    auto* bytes = reinterpret_cast<unsigned char*>(out.data() + first);
    const std::uint64_t origin = offset + static_cast<std::uint64_t>(version_) * 0x9E3779B97F4A7C15ULL;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t x = origin + i;
        x ^= x >> 33;
        x *= 0xFF51AFD7ED558CCDULL;
        x ^= x >> 33;
        bytes[i] = static_cast<unsigned char>(x & 0xFF);
    }
}

std::string SyntheticByteSource::etag() const {
    return fmt::format("\"synthetic-{}-v{}\"", size_, version_);
}

std::chrono::system_clock::time_point SyntheticByteSource::lastModified() const {
    // 2024-01-01 00:00:00 UTC, one hour later for each version.
    return std::chrono::system_clock::time_point(std::chrono::seconds(1704067200LL + version_ * 3600LL));
}

std::string SyntheticByteSource::contentType() const {
    return contentType_;
}

}  // namespace qelvo::demo
