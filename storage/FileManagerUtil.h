#pragma once

#include "platform/foundation/Json.h"

#include <optional>
#include <string>

// The search history, the favourites and the paths of files in the documents
// directory. Class operations only; every store operation is a complete
// read-modify-write of its file, on the main thread.
class FileManagerUtil {
public:
    FileManagerUtil() = delete;

    // Search history ("historySearch.plist"): entries {"title": text}, newest first.
    static std::optional<platform::Value> getHistorySearchArray();
    // Puts the entry first, dropping equal ones; true when the file was written.
    static bool searchItem(const platform::Value& entry);
    // True when the history file was removed; false when there was none.
    static bool clearHistorySearch();

    // Favourites ("collection.plist"): course dictionaries, oldest first, identified
    // by their "id".
    static std::optional<platform::Value> getColltionArray();
    // Appends without a duplicate test (callers ask findShopCollection first).
    static bool collectShopItem(const platform::Value& course);
    // Removes the first favourite with the same "id" and every copy equal to it;
    // rewrites the file even when nothing matched. False without a file.
    static bool removeCollectItem(const platform::Value& course);
    static bool findShopCollection(const platform::Value& course);

    // documents / folder / fileName; creates the folder when missing.
    static std::string getDocumentsFolder(const std::string& folder, const std::string& fileName);
    static std::string getDocumentsPath(const std::string& relativePath);
    static bool isFileExist(const std::string& path);
    // Removes documents / relativePath; false when nothing was there or removal failed.
    static bool deleteFile(const std::string& relativePath);
    // Writes an array or dictionary as a property list, atomically.
    static bool writeToDocuments(const platform::Value& object, const std::string& fileName);

    static std::string getCachePath();
    // Empties the caches directory, ignoring entries that cannot be removed.
    static void deleteCacheFile();
    // The file's content when it is UTF-8 text.
    static std::optional<std::string> getPathContent(const std::string& path);
};
