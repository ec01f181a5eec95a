#include "storage/CacheFreshness.h"

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "storage/FileManagerUtil.h"

std::optional<double> CacheFreshness::secondsSinceRefresh(const std::string& key) {
    const auto stored = platform::UserDefaults::standard().stringForKey(key);
    if (!stored) {
        return std::nullopt;
    }
    const auto moment = platform::DateFormatter(kTimeFormat).dateFromString(*stored);
    if (!moment) {
        return std::nullopt;
    }
    const auto now = platform::RunLoop::main().clock().wallNow();
    return platform::Clock::secondsBetween(*moment, now);
}

bool CacheFreshness::needsRefresh(const std::string& key) {
    const auto age = secondsSinceRefresh(key);
    return !age || *age > kMaxAgeSeconds || *age < 0.0;
}

void CacheFreshness::markRefreshed(const std::string& key) {
    const auto now = platform::RunLoop::main().clock().wallNow();
    auto& defaults = platform::UserDefaults::standard();
    defaults.setObject(platform::DateFormatter(kTimeFormat).stringFromDate(now), key);
    defaults.synchronize();
}

std::string CacheFreshness::cacheFilePath(const std::string& fileName) {
    return FileManagerUtil::getDocumentsFolder(kCacheFolder, fileName);
}

bool CacheFreshness::writeCachedReply(const std::string& fileName, std::string_view body) {
    if (!platform::Json::isValidUtf8(body)) {
        return false;
    }
    return platform::FileSystem::writeFileAtomically(cacheFilePath(fileName), body);
}

std::optional<std::string> CacheFreshness::readCachedReply(const std::string& fileName) {
    return platform::FileSystem::readFile(cacheFilePath(fileName));
}
