#include "storage/StoreFile.h"

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"

namespace {

// Local time of the main clock as yyyyMMdd-HHmmss, for the names of kept files.
std::string stampNow() {
    return platform::DateFormatter("yyyyMMdd-HHmmss").stringFromDate(platform::RunLoop::main().clock().wallNow());
}

}  // namespace

StoreFile::Contents StoreFile::load(const std::string& path) {
    Contents contents;
    if (!platform::FileSystem::exists(path)) {
        return contents;
    }
    auto value = platform::PropertyList::read(path);
    if (value && value->is_array()) {
        contents.array = std::move(value);
    } else {
        contents.unreadable = true;
    }
    return contents;
}

platform::Value StoreFile::takeArray(Contents& loaded) {
    if (!loaded.array) {
        return platform::Value::array();
    }
    platform::Value array = std::move(*loaded.array);
    loaded.array.reset();
    return array;
}

bool StoreFile::save(const Contents& loaded, const platform::Value& array, const std::string& path) {
    if (!loaded.unreadable) {
        return platform::PropertyList::writeAtomically(array, path);
    }
    // Make sure the new content can be written before touching the old file, so a
    // failed write leaves everything where it was.
    const auto xml = platform::PropertyList::toXml(array);
    if (!xml) {
        return false;
    }
    if (platform::FileSystem::exists(path) && !setAside(path)) {
        platform::logf("could not move unreadable {} aside; not writing over it", path);
        return false;
    }
    return platform::FileSystem::writeFileAtomically(path, *xml);
}

std::optional<std::string> StoreFile::setAside(const std::string& path) {
    const std::string base = path + ".corrupt-" + stampNow();
    std::string target = base;
    for (int counter = 1; platform::FileSystem::exists(target); ++counter) {
        target = base + "-" + std::to_string(counter);
    }
    if (!platform::FileSystem::rename(path, target)) {
        return std::nullopt;
    }
    platform::logf("unreadable {} kept as {}", path, target);
    return target;
}
