#include "MediaLibrary.h"

#include "MemoryByteSource.h"
#include "SyntheticByteSource.h"

#include <fmt/format.h>

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace qelvo::demo {

namespace {

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string extensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    auto extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension;
}

// An ISO media "free" box: players skip it, so the video still plays with it appended.
std::string freeBox(int version) {
    std::string box(
        "\x00\x00\x00\x10"
        "free",
        8);
    box += fmt::format("v{:07}", version % 10000000);
    return box;
}

}  // namespace

MediaLibrary::MediaLibrary(std::filesystem::path dataDir) : root_(std::move(dataDir)) {}

std::shared_ptr<const ByteSource> MediaLibrary::open(const std::string& urlPath, int version) const {
    static const std::string synthetic = "/videos/synthetic/";
    if (urlPath.rfind(synthetic, 0) == 0) return openSynthetic(urlPath.substr(synthetic.size()), version);
    if (urlPath.rfind("/pics/", 0) != 0 && urlPath.rfind("/videos/", 0) != 0) return nullptr;
    const auto relative = urlPath.substr(1);
    if (!isSafeRelativePath(relative)) return nullptr;
    return openFile(relative, version);
}

std::shared_ptr<const ByteSource> MediaLibrary::openSynthetic(const std::string& name, int version) const {
    const auto dot = name.find('.');
    const auto digits = name.substr(0, dot);
    std::uint64_t size = 0;
    const auto [rest, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
    if (digits.empty() || error != std::errc() || rest != digits.data() + digits.size() ||
        size > kMaxSyntheticSize)
        return nullptr;
    const auto type =
        dot == std::string::npos ? std::string("application/octet-stream") : contentTypeFor(name);
    return std::make_shared<SyntheticByteSource>(size, version, type);
}

std::shared_ptr<const ByteSource> MediaLibrary::openFile(const std::string& relative, int version) const {
    const auto file = root_ / relative;
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;

    std::string bytes;
    {
        std::lock_guard lock(mutex_);
        auto& cached = cache_[relative];
        // Re-read when the file on disk was replaced.
        if (cached.mtime != info.st_mtime || cached.size != static_cast<std::uint64_t>(info.st_size) ||
            cached.bytes.size() != cached.size) {
            std::ifstream in(file, std::ios::binary);
            if (!in) return nullptr;
            std::stringstream content;
            content << in.rdbuf();
            cached = {content.str(), static_cast<std::int64_t>(info.st_mtime),
                      static_cast<std::uint64_t>(info.st_size)};
        }
        bytes = cached.bytes;
    }

    const auto hash = fnv1a(bytes);
    if (version > 0 && extensionOf(relative) == "mp4") bytes += freeBox(version);
    const auto modified =
        std::chrono::system_clock::time_point(std::chrono::seconds(info.st_mtime + version * 3600LL));
    return std::make_shared<MemoryByteSource>(std::move(bytes), fmt::format("\"{:016x}-v{}\"", hash, version),
                                              modified, contentTypeFor(relative));
}

std::string MediaLibrary::contentTypeFor(const std::string& name) {
    const auto extension = extensionOf(name);
    if (extension == "jpg" || extension == "jpeg") return "image/jpeg";
    if (extension == "png") return "image/png";
    if (extension == "gif") return "image/gif";
    if (extension == "webp") return "image/webp";
    if (extension == "mp4" || extension == "m4v") return "video/mp4";
    if (extension == "mov") return "video/quicktime";
    return "application/octet-stream";
}

bool MediaLibrary::isSafeRelativePath(const std::string& relative) {
    if (relative.empty() || relative.find('\0') != std::string::npos ||
        relative.find('\\') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start <= relative.size()) {
        auto end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const auto part = relative.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace qelvo::demo
