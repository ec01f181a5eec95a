#pragma once

#include "platform/foundation/Json.h"

#include <optional>
#include <string>

// A small store kept as a property-list file whose root is an array (the
// favourites, the search history). Every operation reads the whole file and
// writes it back whole; nothing is kept in memory between operations.
//
// A file that is there but cannot be read as an array is never written over:
// before the next write it is renamed aside ("<name>.corrupt-<yyyyMMdd-HHmmss>",
// with "-<n>" added when that name is taken) so whatever it held can still be
// recovered by hand.
class StoreFile {
public:
    struct Contents {
        std::optional<platform::Value> array;  // absent: missing or unreadable
        bool unreadable = false;               // there, but not an array property list
    };

    static Contents load(const std::string& path);
    // Moves the array out of `loaded` (an empty array when there was none) without
    // copying a thousand dictionaries; `loaded` keeps telling whether it was unreadable.
    static platform::Value takeArray(Contents& loaded);

    // Writes `array` atomically to `path`, `loaded` being what load() found there.
    // Returns false and leaves every file as it was when the array cannot be
    // stored (a null inside) or an unreadable file could not be moved aside.
    static bool save(const Contents& loaded, const platform::Value& array, const std::string& path);

    // Renames the file at `path` to a name that is not taken yet; the new path,
    // or absent when the rename failed.
    static std::optional<std::string> setAside(const std::string& path);
};
