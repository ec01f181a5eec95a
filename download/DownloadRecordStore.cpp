#include "download/DownloadRecordStore.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "storage/CommonHelper.h"
#include "storage/StoreFile.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

using platform::FileSystem;
using platform::Json;
using platform::Value;

namespace {

constexpr auto kDurability = FileSystem::Durability::Renamed;
// Every finished file a record read back names has this extension.
constexpr const char* kRecordTargetExtension = "mp4";

// The dictionaries of a finished list that cannot be read as a whole but whose entries still
// read one by one (a list cut short keeps every entry before the cut), by "filename".
std::map<std::string, Value> salvageEntries(const std::string& text) {
    std::map<std::string, Value> entries;
    constexpr std::string_view kOpen = "<dict>";
    constexpr std::string_view kClose = "</dict>";
    for (auto start = text.find(kOpen); start != std::string::npos; start = text.find(kOpen, start + 1)) {
        const auto end = text.find(kClose, start);
        if (end == std::string::npos) {
            break;
        }
        const std::string block = text.substr(start, end + kClose.size() - start);
        const auto entry = platform::PropertyList::fromXml("<plist version=\"1.0\">" + block + "</plist>");
        if (!entry || !entry->is_object()) {
            continue;
        }
        if (const auto name = Json::stringForKey(*entry, "filename")) {
            entries.emplace(*name, *entry);
        }
    }
    return entries;
}

std::string withoutExtension(const std::string& name) {
    const std::string extension = FileSystem::pathExtension(name);
    return extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
}

void removeIfThere(const std::string& path) {
    if (FileSystem::exists(path) && !FileSystem::remove(path)) {
        platform::logf("{}", "Failed to delete file at path '" + path + "'");
    }
}

}  // namespace

std::string DownloadRecordStore::recordFilePath(const std::string& tempPath) {
    return tempPath + ".plist";
}

std::string DownloadRecordStore::targetPathFor(const std::string& fileID, const std::string& extension,
                                               const DownloadFolders& folders) {
    return FileSystem::appendingPathComponent(
        CommonHelper::getTargetPathWithBasepath(folders.basepath, folders.targetSubPath), fileID + "." + extension);
}

std::string DownloadRecordStore::tempPathFor(const std::string& fileID, const std::string& basepath) {
    return FileSystem::appendingPathComponent(CommonHelper::getTempFolderPathWithBasepath(basepath), fileID);
}

bool DownloadRecordStore::saveRecord(const FileModel& record, const DownloadFolders& folders) {
    if (!record.tempPath() ||
        !platform::PropertyList::writeAtomically(record.recordDictionary(folders.basepath, folders.targetSubPath),
                                                 recordFilePath(*record.tempPath()), kDurability)) {
        platform::log("write plist fail");
        return false;
    }
    return true;
}

std::optional<DownloadRecordStore::LoadedRecord> DownloadRecordStore::readRecordFile(
    const std::string& path, const DownloadFolders& folders) {
    const auto dict = platform::PropertyList::read(path);
    if (!dict || !dict->is_object()) {
        platform::logf("{}", "Skipping unreadable download record at path '" + path + "'");
        return std::nullopt;
    }
    const auto fileName = Json::stringForKey(*dict, "filename");
    if (!fileName || !FileModel::isSafeFileID(*fileName)) {
        platform::logf("{}", "Skipping download record without a usable filename at path '" + path + "'");
        return std::nullopt;
    }
    LoadedRecord loaded;
    loaded.basepath = Json::stringForKey(*dict, "basepath").value_or(folders.basepath);
    loaded.targetSubPath = Json::stringForKey(*dict, "tarpath").value_or(folders.targetSubPath);
    auto record = std::make_shared<FileModel>();
    record->setFileName(fileName);
    record->setFileType(FileSystem::pathExtension(*fileName));
    record->setFileByName(Json::stringForKey(*dict, "byname"));
    record->setFileURL(Json::stringForKey(*dict, "fileurl"));
    record->setFileSize(Json::stringForKey(*dict, "filesize"));
    record->setFileReceivedSize(Json::stringForKey(*dict, "filerecievesize"));
    record->setFileValidator(Json::stringForKey(*dict, kValidatorKey));
    const DownloadFolders named{loaded.basepath, loaded.targetSubPath, {}};
    record->setTargetPath(targetPathFor(*fileName, kRecordTargetExtension, named));
    record->setTempPath(tempPathFor(*fileName, loaded.basepath));
    record->setTime(Json::stringForKey(*dict, "time"));
    loaded.record = std::move(record);
    return loaded;
}

DownloadRecordStore::TempFolderContents DownloadRecordStore::readTempFolder(const DownloadFolders& folders) {
    const std::string folder = CommonHelper::getTempFolderPathWithBasepath(folders.basepath);
    TempFolderContents contents;
    const auto names = FileSystem::list(folder);
    if (!names) {
        platform::logf("{}", "Failed to list the folder at path '" + folder + "'");
    }
    std::vector<LoadedRecord> loaded;
    for (const auto& name : names.value_or(std::vector<std::string>{})) {
        if (FileSystem::pathExtension(name) != "plist") {
            continue;
        }
        const std::string path = FileSystem::appendingPathComponent(folder, name);
        if (auto record = readRecordFile(path, folders)) {
            loaded.push_back(std::move(*record));
        } else {
            contents.unreadable.push_back(path);
        }
    }
    std::vector<std::shared_ptr<FileModel>> records;
    records.reserve(loaded.size());
    for (const auto& item : loaded) {
        records.push_back(item.record);
    }
    for (const auto& record : sortbyTime(records)) {
        contents.records.push_back(*std::find_if(loaded.begin(), loaded.end(),
                                                 [&](const auto& item) { return item.record == record; }));
    }
    return contents;
}

void DownloadRecordStore::setAside(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        if (FileSystem::exists(path)) {
            StoreFile::setAside(path);
        }
    }
}

std::string DownloadRecordStore::finishedListPath(const DownloadFolders& folders) {
    const std::string folder = FileSystem::appendingPathComponent(CommonHelper::getDocumentPath(), folders.basepath);
    return FileSystem::appendingPathComponent(folder, kFinishedListFileName);
}

std::vector<std::string> DownloadRecordStore::targetFolders(const DownloadFolders& folders) {
    const std::string documents = CommonHelper::getDocumentPath();
    std::vector<std::string> found;
    auto add = [&](const std::string& folder) {
        if (FileSystem::isDirectory(folder) && std::find(found.begin(), found.end(), folder) == found.end()) {
            found.push_back(folder);
        }
    };
    for (const auto& target : folders.targetPathArray) {
        add(FileSystem::appendingPathComponent(documents, target));
    }
    add(FileSystem::appendingPathComponent(FileSystem::appendingPathComponent(documents, folders.basepath),
                                           folders.targetSubPath));
    return found;
}

std::vector<std::shared_ptr<FileModel>> DownloadRecordStore::loadFinishedList(const DownloadFolders& folders) {
    const std::string path = finishedListPath(folders);
    platform::logf("plistPath is: {}", path);
    std::vector<std::shared_ptr<FileModel>> records;
    std::map<std::string, Value> salvaged;
    bool changed = false;
    if (FileSystem::exists(path)) {
        const auto entries = platform::PropertyList::read(path);
        if (entries && entries->is_array()) {
            for (const auto& entry : *entries) {
                if (!entry.is_object()) {
                    continue;
                }
                auto record = std::make_shared<FileModel>();
                record->setFileName(Json::stringForKey(entry, "filename"));
                record->setFileType(FileSystem::pathExtension(record->fileName().value_or("")));
                record->setFileSize(Json::stringForKey(entry, "filesize"));
                record->setTime(Json::stringForKey(entry, "time"));
                record->setFileByName(Json::stringForKey(entry, "byname"));
                if (const auto stored = Json::stringForKey(entry, "filepath")) {
                    record->setTargetPath(finishedTargetPath(*stored, folders));
                }
                records.push_back(std::move(record));
            }
        } else {
            // Kept for whoever wants to look, and never written over: the list is rebuilt from
            // the videos themselves below.
            platform::logf("{}", "Failed to read the finished list at path '" + path + "'");
            salvaged = salvageEntries(FileSystem::readFile(path).value_or(""));
            changed = StoreFile::setAside(path).has_value();
        }
    }

    // Every video in a target folder is a finished one: the request only ever moves a whole file
    // there. One that no entry names is listed now.
    std::set<std::string> listedPaths;
    for (const auto& record : records) {
        if (record->targetPath()) {
            listedPaths.insert(*record->targetPath());
        }
    }
    std::vector<std::string> adoptedTempPaths;
    for (const auto& folder : targetFolders(folders)) {
        auto names = FileSystem::list(folder).value_or(std::vector<std::string>{});
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            const std::string video = FileSystem::appendingPathComponent(folder, name);
            const std::string fileID = withoutExtension(name);
            if (listedPaths.contains(video) || FileSystem::isDirectory(video) || name.starts_with(".") ||
                !FileModel::isSafeFileID(fileID)) {
                continue;
            }
            const auto unplaced = std::find_if(records.begin(), records.end(), [&](const auto& record) {
                return record->fileName() == fileID &&
                       (!record->targetPath() || !FileSystem::exists(*record->targetPath()));
            });
            if (unplaced != records.end()) {
                (*unplaced)->setTargetPath(video);
                listedPaths.insert(video);
                changed = true;
                continue;
            }
            auto record = std::make_shared<FileModel>();
            record->setFileName(fileID);
            record->setFileType("");
            record->setTargetPath(video);
            record->setFileSize(std::to_string(FileSystem::fileSize(video).value_or(0)));
            // Name and time from what is still known of the download: its record file (the process
            // ended between the move into place and the list's write), the kept copy of the list,
            // else the file itself.
            const std::string tempPath = tempPathFor(fileID, folders.basepath);
            std::optional<Value> known;
            if (const auto stored = platform::PropertyList::read(recordFilePath(tempPath));
                stored && stored->is_object()) {
                known = stored;
            } else if (const auto kept = salvaged.find(fileID); kept != salvaged.end()) {
                known = kept->second;
            }
            const auto modified = FileSystem::modificationDate(video);
            record->setTime(known ? Json::stringForKey(*known, "time") : std::nullopt);
            if (!record->time() && modified) {
                record->setTime(CommonHelper::dateToString(*modified));
            }
            record->setFileByName(known ? Json::stringForKey(*known, "byname").value_or(fileID) : fileID);
            platform::logf("{}", "Listing the finished video found at path '" + video + "'");
            records.push_back(std::move(record));
            listedPaths.insert(video);
            changed = true;
        }
    }
    if (changed && !saveFinishedList(records, folders)) {
        return records;  // the record files stay, so the next launch finds them again
    }
    // A record file beside a finished video is left from a process that ended after the list
    // was written: the download is done, and the record must not bring it back unfinished.
    for (const auto& record : records) {
        if (record->fileName() && record->targetPath() && FileSystem::exists(*record->targetPath()) &&
            FileModel::isSafeFileID(*record->fileName())) {
            const std::string tempPath = tempPathFor(*record->fileName(), folders.basepath);
            if (FileSystem::exists(recordFilePath(tempPath))) {
                removeIfThere(recordFilePath(tempPath));
                removeIfThere(tempPath);
            }
        }
    }
    return records;
}

bool DownloadRecordStore::saveFinishedList(const std::vector<std::shared_ptr<FileModel>>& records,
                                           const DownloadFolders& folders) {
    Value entries = Value::array();
    for (const auto& record : records) {
        entries.push_back(record->finishedEntryDictionary());
    }
    const std::string path = finishedListPath(folders);
    FileSystem::createDirectories(FileSystem::deletingLastPathComponent(path));
    if (!platform::PropertyList::writeAtomically(entries, path, kDurability)) {
        platform::log("write plist fail");
        return false;
    }
    return true;
}

void DownloadRecordStore::removeFinishedEntry(const FileModel& record, const DownloadFolders& folders) {
    const std::string path = finishedListPath(folders);
    platform::logf("plistPath is: {}", path);
    auto entries = platform::PropertyList::read(path);
    if (!entries || !entries->is_array()) {
        return;
    }
    const auto found = std::find_if(entries->begin(), entries->end(), [&](const Value& entry) {
        return entry.is_object() && Json::stringForKey(entry, "filename") == record.fileName();
    });
    if (found != entries->end()) {
        entries->erase(found);
    }
    if (!platform::PropertyList::writeAtomically(*entries, path, kDurability)) {
        platform::log("write plist fail");
    }
}

std::optional<std::string> DownloadRecordStore::finishedTargetPath(const std::string& storedPath,
                                                                   const DownloadFolders& folders) {
    static constexpr std::string_view kDocuments = "Documents";
    const std::string documents = CommonHelper::getDocumentPath();
    const auto first = storedPath.find(kDocuments);
    const auto last = storedPath.rfind(kDocuments);
    if (first != std::string::npos && first == last) {
        // The container may have moved since the path was stored.
        return documents + storedPath.substr(first + kDocuments.size());
    }
    if (last != std::string::npos) {
        const std::string moved = documents + storedPath.substr(last + kDocuments.size());
        if (FileSystem::exists(moved)) {
            return moved;
        }
    }
    // A path from elsewhere: the file is still usable when it lies in one of the current target
    // folders under its own name.
    const std::string name = FileSystem::lastPathComponent(storedPath);
    if (!FileModel::isSafeFileID(name)) {
        return std::nullopt;
    }
    for (const auto& folder : targetFolders(folders)) {
        const std::string candidate = FileSystem::appendingPathComponent(folder, name);
        if (FileSystem::exists(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::vector<std::shared_ptr<FileModel>> DownloadRecordStore::sortbyTime(
    const std::vector<std::shared_ptr<FileModel>>& records) {
    struct Keyed {
        std::shared_ptr<FileModel> record;
        std::optional<CommonHelper::Date> date;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(records.size());
    for (const auto& record : records) {
        keyed.push_back({record, CommonHelper::makeDate(record->time().value_or(""))});
    }
    // Insertion sort: a time that cannot be read compares equal to every other, which is no
    // strict weak ordering, so the standard sorts may not be used. Stable, and download lists
    // are short.
    for (std::size_t index = 1; index < keyed.size(); ++index) {
        std::size_t place = index;
        while (place > 0 && keyed[index].date && keyed[place - 1].date && *keyed[index].date < *keyed[place - 1].date) {
            --place;
        }
        std::rotate(keyed.begin() + static_cast<std::ptrdiff_t>(place),
                    keyed.begin() + static_cast<std::ptrdiff_t>(index),
                    keyed.begin() + static_cast<std::ptrdiff_t>(index) + 1);
    }
    std::vector<std::shared_ptr<FileModel>> sorted;
    sorted.reserve(keyed.size());
    for (auto& item : keyed) {
        sorted.push_back(std::move(item.record));
    }
    return sorted;
}
