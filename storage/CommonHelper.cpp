#include "storage/CommonHelper.h"

#include "download/FileModel.h"
#include "platform/foundation/Container.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Md5.h"

#include <fmt/format.h>

#include <cfloat>
#include <cmath>

namespace {

using platform::FileSystem;

const double kBytesPerGigabyte = 1073741824.0;
const char* const kDownloadTimeFormat = "MM-dd HH:mm:ss";

// A number read in single precision. Values a float cannot hold (and texts such
// as "inf" or "nan") read as 0 instead of overflowing.
float toFloat(double value) {
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) {
        return 0.0F;
    }
    return static_cast<float>(value);
}

// Disk figures pass through a float on their way to whole bytes; 2^64 itself
// (what a float makes of the largest counts) is kept inside the range.
std::uint64_t singlePrecisionBytes(std::uint64_t bytes) {
    const float rounded = static_cast<float>(bytes);
    if (rounded >= 18446744073709551616.0F) {
        return UINT64_MAX;
    }
    return static_cast<std::uint64_t>(rounded);
}

std::string createdFolder(const std::string& path) {
    // A failure to create shows up later as a failed write; the path is the same.
    if (!FileSystem::exists(path)) {
        FileSystem::createDirectories(path);
    }
    return path;
}

std::optional<FileSystem::SpaceInfo> documentsVolume() {
    auto space = FileSystem::space(platform::Container::shared().documents());
    if (!space) {
        return std::nullopt;
    }
    return FileSystem::SpaceInfo{singlePrecisionBytes(space->total), singlePrecisionBytes(space->free)};
}

}  // namespace

std::string CommonHelper::getDocumentPath() {
    return FileSystem::appendingPathComponent(platform::Container::shared().home(), "Documents");
}

std::string CommonHelper::getTargetPathWithBasepath(const std::string& basePath, const std::string& subPath) {
    const std::string base = FileSystem::appendingPathComponent(getDocumentPath(), basePath);
    return createdFolder(FileSystem::appendingPathComponent(base, subPath));
}

std::string CommonHelper::getTempFolderPathWithBasepath(const std::string& basePath) {
    return getTargetPathWithBasepath(basePath, "Temp");
}

std::vector<std::string> CommonHelper::getTargetFloderPathWithBasepath(
    const std::string& basePath, const std::vector<std::string>& subPaths) {
    std::vector<std::string> paths;
    paths.reserve(subPaths.size());
    for (const auto& sub : subPaths) {
        paths.push_back(getTargetPathWithBasepath(basePath, sub));
    }
    return paths;
}

bool CommonHelper::isExistFile(const std::string& path) {
    return FileSystem::exists(path);
}

std::string CommonHelper::getFileSizeString(const platform::Value& size) {
    const float bytes = toFloat(platform::Json::doubleValue(&size));
    const float megabytes = bytes / 1024.0F / 1024.0F;
    return fmt::format("{:1.2f}MB", static_cast<double>(megabytes));
}

float CommonHelper::getFileSizeNumber(std::string_view sizeText) {
    const auto numberBefore = [&](char unit) {
        return toFloat(platform::Json::doubleValue(sizeText.substr(0, sizeText.find(unit))));
    };
    if (sizeText.find('M') != std::string_view::npos) {
        return numberBefore('M') * 1024.0F * 1024.0F;
    }
    if (sizeText.find('K') != std::string_view::npos) {
        return numberBefore('K') * 1024.0F;
    }
    if (sizeText.find('B') != std::string_view::npos) {
        return numberBefore('B');
    }
    return toFloat(platform::Json::doubleValue(sizeText));
}

double CommonHelper::getProgress(float totalSize, float currentSize) {
    // Before the size is known a division would give NaN or infinity, which the
    // progress bar cannot show.
    if (!(totalSize > 0.0F)) {
        return 0.0;
    }
    return static_cast<double>(currentSize) / static_cast<double>(totalSize);
}

std::optional<CommonHelper::Date> CommonHelper::makeDate(const std::string& text) {
    const auto date = platform::DateFormatter(kDownloadTimeFormat).dateFromString(text);
    platform::log(platform::DateFormatter::description(date));
    return date;
}

std::string CommonHelper::dateToString(Date date) {
    return platform::DateFormatter(kDownloadTimeFormat).stringFromDate(date);
}

std::uint64_t CommonHelper::getFreeDiskspace() {
    const auto volume = documentsVolume();
    if (!volume) {
        return 0;
    }
    platform::logf("Memory Capacity of {} MiB with {} MiB Free memory available.",
                   volume->total / 1024 / 1024, volume->free / 1024 / 1024);
    return volume->free;
}

std::uint64_t CommonHelper::getTotalDiskspace() {
    const auto volume = documentsVolume();
    return volume ? volume->total : 0;
}

std::optional<std::string> CommonHelper::getDiskSpaceInfo() {
    const auto volume = documentsVolume();
    if (!volume) {
        return std::nullopt;
    }
    return fmt::format("{:.2f} GB 可用/总共 {:.2f} GB", static_cast<double>(volume->free) / kBytesPerGigabyte,
                       static_cast<double>(volume->total) / kBytesPerGigabyte);
}

std::string CommonHelper::md5StringForString(std::string_view text) {
    return platform::Md5::hex(text);
}

std::string CommonHelper::md5StringForData(std::string_view bytes) {
    return platform::Md5::hex(bytes);
}

std::vector<std::shared_ptr<FileModel>> CommonHelper::getAllFinishFilesListWithPatharr(
    const std::vector<std::string>& folders) {
    std::vector<std::shared_ptr<FileModel>> records;
    for (const auto& folder : folders) {
        if (!FileSystem::exists(folder)) {
            return records;
        }
        const auto entries = FileSystem::list(folder).value_or(std::vector<std::string>{});
        for (const auto& entry : entries) {
            auto record = std::make_shared<FileModel>();
            const std::string path = FileSystem::appendingPathComponent(folder, entry);
            record->setFileName(entry);
            record->setTargetPath(path);
            // The size comes from the file system: reading whole videos into memory
            // only to count them would be slow, and 32-bit counts go wrong past 2 GiB.
            const std::uint64_t length =
                FileSystem::isDirectory(path) ? 0 : FileSystem::fileSize(path).value_or(0);
            record->setFileSize(getFileSizeString(std::to_string(length)));
            records.push_back(std::move(record));
        }
    }
    return records;
}
