#include "MemoryByteSource.h"

namespace qelvo::demo {

MemoryByteSource::MemoryByteSource(std::string bytes, std::string etag,
                                   std::chrono::system_clock::time_point lastModified,
                                   std::string contentType)
    : bytes_(std::move(bytes)),
      etag_(std::move(etag)),
      lastModified_(lastModified),
      contentType_(std::move(contentType)) {}

std::uint64_t MemoryByteSource::size() const {
    return bytes_.size();
}

void MemoryByteSource::read(std::uint64_t offset, std::size_t length, std::string& out) const {
    if (offset >= bytes_.size()) return;
    out.append(bytes_, static_cast<std::size_t>(offset), length);
}

std::string MemoryByteSource::etag() const {
    return etag_;
}

std::chrono::system_clock::time_point MemoryByteSource::lastModified() const {
    return lastModified_;
}

std::string MemoryByteSource::contentType() const {
    return contentType_;
}

}  // namespace qelvo::demo
