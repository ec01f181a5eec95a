#pragma once

#include <optional>
#include <string>
#include <string_view>

// The rule by which the list screens keep their last reply on disk and decide
// when to ask the service again. A screen stores the local time of its last
// reply as "yyyy-MM-dd HH:mm:ss" under its own preference key, and the reply
// body as UTF-8 text in the documents folder "dataCache". Time comes from the
// main run loop's clock.
class CacheFreshness {
public:
    static constexpr double kMaxAgeSeconds = 300.0;
    static constexpr const char* kCacheFolder = "dataCache";
    static constexpr const char* kTimeFormat = "yyyy-MM-dd HH:mm:ss";

    CacheFreshness() = delete;

    // Seconds since the moment stored under `key`; absent when the key is missing
    // or its value does not parse.
    static std::optional<double> secondsSinceRefresh(const std::string& key);
    // True when the screen should fetch: no moment, an unparsable one, one more
    // than 300 seconds ago, or one in the future (the device clock was set back,
    // and the cached reply's age is unknown).
    static bool needsRefresh(const std::string& key);
    // Stores the current local time under `key` and synchronises the preferences.
    static void markRefreshed(const std::string& key);

    // Path of a cache file, creating the cache folder when missing.
    static std::string cacheFilePath(const std::string& fileName);
    // Writes the body atomically as the cache file; a body that is not UTF-8 text
    // writes nothing and returns false.
    static bool writeCachedReply(const std::string& fileName, std::string_view body);
    // The stored body, absent when there is no cache file.
    static std::optional<std::string> readCachedReply(const std::string& fileName);
};
