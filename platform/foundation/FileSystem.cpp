#include "platform/foundation/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string_view>

namespace fs = std::filesystem;

namespace platform {

bool FileSystem::exists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool FileSystem::isDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileSystem::createDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    fs::create_directories(path, error);
    return isDirectory(path);
}

bool FileSystem::remove(const std::string& path) {
    if (!exists(path)) return false;
    std::error_code error;
    const auto removed = fs::remove_all(path, error);
    return !error && removed > 0;
}

std::optional<std::vector<std::string>> FileSystem::list(const std::string& path) {
    std::error_code error;
    fs::directory_iterator it(path, error);
    if (error) return std::nullopt;
    std::vector<std::string> names;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) return std::nullopt;
        names.push_back(it->path().filename().string());
    }
    return names;
}

std::optional<std::vector<std::string>> FileSystem::listRecursive(const std::string& path) {
    std::error_code error;
    fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error);
    if (error) return std::nullopt;
    std::vector<std::string> entries;
    const fs::path base(path);
    for (const fs::recursive_directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        entries.push_back(it->path().lexically_relative(base).string());
    }
    return entries;
}

std::optional<std::string> FileSystem::readFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

namespace {
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
}  // namespace

bool FileSystem::writeFileAtomically(const std::string& path, std::string_view bytes, Durability durability) {
    static std::atomic<unsigned> counter{0};
    if (path.empty() || path.back() == '/') return false;
    const std::string side = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(side.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes) && (durability == Durability::Renamed || ::fsync(fd) == 0);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(side.c_str(), path.c_str()) != 0) {
        ::unlink(side.c_str());
        return false;
    }
    return true;
}

bool FileSystem::rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::optional<std::uint64_t> FileSystem::fileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

namespace {

std::chrono::system_clock::time_point modificationDateOf(const struct stat& info) {
    const auto since = std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    return std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(since));
}

}  // namespace

std::optional<std::vector<FileSystem::FileInfo>> FileSystem::listFiles(const std::string& path) {
    std::error_code error;
    std::filesystem::directory_iterator it(path, error);
    if (error) return std::nullopt;
    std::vector<FileInfo> files;
    for (std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        struct stat info {};
        const std::string filePath = it->path().string();
        if (::stat(filePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        FileInfo file;
        file.path = filePath;
        file.name = it->path().filename().string();
        file.modified = modificationDateOf(info);
        file.size = static_cast<std::uint64_t>(info.st_size);
        file.allocatedSize = static_cast<std::uint64_t>(info.st_blocks) * 512;
        files.push_back(std::move(file));
    }
    return files;
}

std::optional<std::chrono::system_clock::time_point> FileSystem::modificationDate(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return modificationDateOf(info);
}

std::optional<FileSystem::SpaceInfo> FileSystem::space(const std::string& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) return std::nullopt;
    return SpaceInfo{static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize,
                     static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize};
}

std::string FileSystem::appendingPathComponent(const std::string& path, const std::string& component) {
    std::string_view tail(component);
    while (!tail.empty() && tail.front() == '/')
        tail.remove_prefix(1);
    std::string result = path;
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    if (result.empty()) return std::string(tail);
    if (tail.empty()) return result;
    if (result != "/") result += '/';
    result += tail;
    return result;
}

std::string FileSystem::lastPathComponent(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos || trimmed == "/") return trimmed;
    return trimmed.substr(slash + 1);
}

std::string FileSystem::deletingLastPathComponent(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return trimmed.substr(0, slash);
}

std::string FileSystem::pathExtension(const std::string& path) {
    const std::string last = lastPathComponent(path);
    const auto dot = last.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == last.size()) return "";
    return last.substr(dot + 1);
}

std::string FileSystem::appendingPathExtension(const std::string& path, const std::string& ext) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (ext.empty()) return trimmed;
    return trimmed + "." + ext;
}

}  // namespace platform
