#pragma once

#include "platform/foundation/Clock.h"
#include "platform/foundation/Json.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FileModel;

// Download folders, size and date texts, disk space and digests. Class
// operations only.
class CommonHelper {
public:
    using Date = platform::Clock::Date;

    CommonHelper() = delete;

    // The home directory followed by "Documents".
    static std::string getDocumentPath();
    // documents / base / sub, created with its parents when missing.
    static std::string getTargetPathWithBasepath(const std::string& basePath, const std::string& subPath);
    // documents / base / "Temp", created with its parents when missing.
    static std::string getTempFolderPathWithBasepath(const std::string& basePath);
    // documents / base / sub for every sub in order, each created when missing.
    static std::vector<std::string> getTargetFloderPathWithBasepath(const std::string& basePath,
                                                                    const std::vector<std::string>& subPaths);
    static bool isExistFile(const std::string& path);

    // A byte count (decimal text or number) as megabytes, "%1.2fMB". The count is
    // read in single precision, which is what the screens have always shown.
    static std::string getFileSizeString(const platform::Value& size);
    // The inverse for texts with a unit ("1.50MB", "512K", "100B"), or a plain number.
    static float getFileSizeNumber(std::string_view sizeText);
    // current / total; 0 while the total is not known (zero or negative).
    static double getProgress(float totalSize, float currentSize);

    // Parses "MM-dd HH:mm:ss" (no year) in local time and logs the result.
    static std::optional<Date> makeDate(const std::string& text);
    static std::string dateToString(Date date);

    // Free and total bytes of the volume holding the documents directory, in
    // single precision; 0 when the volume cannot be read.
    static std::uint64_t getFreeDiskspace();
    static std::uint64_t getTotalDiskspace();
    // "%.2f GB 可用/总共 %.2f GB" with free, then total gigabytes.
    static std::optional<std::string> getDiskSpaceInfo();

    static std::string md5StringForString(std::string_view text);
    static std::string md5StringForData(std::string_view bytes);

    // A finished-download record for every entry of the folders, in order; stops at
    // the first folder that does not exist and returns what it has.
    static std::vector<std::shared_ptr<FileModel>> getAllFinishFilesListWithPatharr(
        const std::vector<std::string>& folders);
};
