#pragma once

#include "ByteSource.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace qelvo::demo {

// Finds the file behind a picture or video address: "/pics/<name>" and "/videos/<name>"
// come from the data folder, "/videos/synthetic/<bytes>.<ext>" is computed (see
// SyntheticByteSource). A file's version (0 = as stored) changes its validators, and a
// video of version > 0 also gains a small trailing "free" box, so its bytes change too
// while it still plays.
class MediaLibrary {
public:
    static constexpr std::uint64_t kMaxSyntheticSize = 1ULL << 40;

    explicit MediaLibrary(std::filesystem::path dataDir);

    // Nothing when the address names no file (or tries to leave the data folder).
    std::shared_ptr<const ByteSource> open(const std::string& urlPath, int version) const;

    static std::string contentTypeFor(const std::string& name);
    static bool isSafeRelativePath(const std::string& relative);

private:
    struct CachedFile {
        std::string bytes;
        std::int64_t mtime = 0;
        std::uint64_t size = 0;
    };

    std::shared_ptr<const ByteSource> openSynthetic(const std::string& name, int version) const;
    std::shared_ptr<const ByteSource> openFile(const std::string& relative, int version) const;

    std::filesystem::path root_;
    mutable std::mutex mutex_;
    mutable std::map<std::string, CachedFile> cache_;
};

}  // namespace qelvo::demo
