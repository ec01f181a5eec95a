#include "storage/FileManagerUtil.h"

#include "platform/foundation/Container.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "storage/StoreFile.h"

#include <algorithm>

namespace {

using platform::FileSystem;
using platform::Value;

const char* const kHistoryFile = "historySearch.plist";
const char* const kCollectionFile = "collection.plist";

std::string historyPath() {
    return FileManagerUtil::getDocumentsPath(kHistoryFile);
}
std::string collectionPath() {
    return FileManagerUtil::getDocumentsPath(kCollectionFile);
}

// A course's identity as text. Identifiers are strings; a whole number is read
// as its decimal text so that a course sent with a numeric "id" can still be
// found and removed instead of matching nothing. Anything else has no identity.
std::optional<std::string> courseId(const Value& course) {
    const Value* id = platform::Json::find(course, "id");
    if (id == nullptr) {
        return std::nullopt;
    }
    if (id->is_string() || id->is_number_integer()) {
        return platform::Json::description(id);
    }
    return std::nullopt;
}

bool sameId(const Value& stored, const std::optional<std::string>& id) {
    return id && courseId(stored) == id;
}

}  // namespace

std::optional<Value> FileManagerUtil::getHistorySearchArray() {
    return StoreFile::load(historyPath()).array;
}

bool FileManagerUtil::searchItem(const Value& entry) {
    const std::string path = historyPath();
    auto loaded = StoreFile::load(path);
    Value history = StoreFile::takeArray(loaded);
    auto& items = history.get_ref<Value::array_t&>();
    std::erase(items, entry);
    items.insert(items.begin(), entry);
    return StoreFile::save(loaded, history, path);
}

bool FileManagerUtil::clearHistorySearch() {
    return deleteFile(kHistoryFile);
}

std::optional<Value> FileManagerUtil::getColltionArray() {
    return StoreFile::load(collectionPath()).array;
}

bool FileManagerUtil::collectShopItem(const Value& course) {
    const std::string path = collectionPath();
    auto loaded = StoreFile::load(path);
    Value favourites = StoreFile::takeArray(loaded);
    favourites.push_back(course);
    return StoreFile::save(loaded, favourites, path);
}

bool FileManagerUtil::removeCollectItem(const Value& course) {
    const std::string path = collectionPath();
    auto loaded = StoreFile::load(path);
    if (!loaded.array) {
        return false;  // nothing stored, or nothing readable to write back
    }
    Value favourites = StoreFile::takeArray(loaded);
    auto& items = favourites.get_ref<Value::array_t&>();
    const auto id = courseId(course);
    const auto match =
        std::find_if(items.begin(), items.end(), [&](const Value& stored) { return sameId(stored, id); });
    if (match != items.end()) {
        const Value found = *match;
        std::erase(items, found);
    }
    return StoreFile::save(loaded, favourites, path);
}

bool FileManagerUtil::findShopCollection(const Value& course) {
    const auto favourites = getColltionArray();
    if (!favourites) {
        return false;
    }
    const auto id = courseId(course);
    return std::any_of(favourites->begin(), favourites->end(),
                       [&](const Value& stored) { return sameId(stored, id); });
}

std::string FileManagerUtil::getDocumentsFolder(const std::string& folder, const std::string& fileName) {
    const std::string folderPath = getDocumentsPath(folder);
    if (!FileSystem::exists(folderPath)) {
        // A failure shows up later as a failed write of the file; the path is the same.
        FileSystem::createDirectories(folderPath);
        platform::log("创建目录");
    } else {
        platform::log("已存在");
    }
    return FileSystem::appendingPathComponent(folderPath, fileName);
}

std::string FileManagerUtil::getDocumentsPath(const std::string& relativePath) {
    return FileSystem::appendingPathComponent(platform::Container::shared().documents(), relativePath);
}

bool FileManagerUtil::isFileExist(const std::string& path) {
    return FileSystem::exists(path);
}

bool FileManagerUtil::deleteFile(const std::string& relativePath) {
    const std::string path = getDocumentsPath(relativePath);
    if (!FileSystem::exists(path)) {
        return false;
    }
    return FileSystem::remove(path);
}

bool FileManagerUtil::writeToDocuments(const Value& object, const std::string& fileName) {
    return platform::PropertyList::writeAtomically(object, getDocumentsPath(fileName));
}

std::string FileManagerUtil::getCachePath() {
    return platform::Container::shared().caches();
}

void FileManagerUtil::deleteCacheFile() {
    const std::string cachePath = getCachePath();
    platform::logf("cachePath is: {}", cachePath);
    const auto entries = FileSystem::listRecursive(cachePath);
    if (!entries) {
        return;
    }
    // Parents come before their children, so most children are already gone with
    // their folder when their turn comes; those failures are expected.
    const std::string prefix = cachePath + "/";
    for (const auto& entry : *entries) {
        std::string path = prefix;
        path += entry;
        FileSystem::remove(path);
    }
}

std::optional<std::string> FileManagerUtil::getPathContent(const std::string& path) {
    auto bytes = FileSystem::readFile(path);
    if (!bytes || !platform::Json::isValidUtf8(*bytes)) {
        return std::nullopt;
    }
    return bytes;
}
