#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// File operations at the platform boundary: nothing here throws; failures are
// false or absent results.
class FileSystem {
public:
    static bool exists(const std::string& path);
    static bool isDirectory(const std::string& path);
    // Creates the folder and any missing parents; true when it exists afterwards.
    static bool createDirectories(const std::string& path);
    // Removes a file or a whole folder; false when nothing was there or removal failed.
    static bool remove(const std::string& path);
    // Names of the entries of a folder (not recursive), in directory order.
    static std::optional<std::vector<std::string>> list(const std::string& path);
    // Relative paths of every entry below a folder, parents before children.
    static std::optional<std::vector<std::string>> listRecursive(const std::string& path);
    // A regular file of a folder with what the system knows of it.
    struct FileInfo {
        std::string path;
        std::string name;
        std::chrono::system_clock::time_point modified;
        std::uint64_t size = 0;
        std::uint64_t allocatedSize = 0;  // the space it takes on the disk
    };
    // The regular files of a folder (not recursive, hidden ones included), in directory order.
    static std::optional<std::vector<FileInfo>> listFiles(const std::string& path);
    static std::optional<std::string> readFile(const std::string& path);
    // How far an atomic write goes before it returns.
    enum class Durability {
        Flushed,  // on the disk before it replaces the old file: survives a power cut
        Renamed,  // replaces the old file at once: survives the process being killed, not a power cut
    };
    // Writes to a side file in the same folder and renames it over the target, so readers
    // see either the old content or the new, never a mix.
    static bool writeFileAtomically(const std::string& path, std::string_view bytes,
                                    Durability durability = Durability::Flushed);
    static bool rename(const std::string& from, const std::string& to);
    static std::optional<std::uint64_t> fileSize(const std::string& path);
    // When the file's content last changed.
    static std::optional<std::chrono::system_clock::time_point> modificationDate(const std::string& path);

    struct SpaceInfo {
        std::uint64_t total;
        std::uint64_t free;
    };
    static std::optional<SpaceInfo> space(const std::string& path);

    // Path helpers with the platform's string semantics.
    static std::string appendingPathComponent(const std::string& path, const std::string& component);
    static std::string pathExtension(const std::string& path);  // "" when none
    static std::string appendingPathExtension(const std::string& path, const std::string& ext);
    static std::string lastPathComponent(const std::string& path);
    static std::string deletingLastPathComponent(const std::string& path);
};

}  // namespace platform
