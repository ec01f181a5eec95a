#include "download/FileModel.h"

#include "platform/foundation/Json.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {

using Entry = std::pair<const char*, const FileModel::Text*>;

platform::Value dictionaryOf(std::initializer_list<Entry> entries) {
    platform::Value dict = platform::Value::object();
    for (const auto& [key, value] : entries) {
        if (value->has_value()) {
            dict[key] = **value;
        }
    }
    return dict;
}

}  // namespace

bool FileModel::isSafeFileID(std::string_view fileID) {
    if (fileID.empty() || fileID == "." || fileID == "..") {
        return false;
    }
    return std::none_of(fileID.begin(), fileID.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f;
    });
}

platform::Value FileModel::recordDictionary(const std::string& basePath,
                                            const std::string& targetSubPath) const {
    const Text base = basePath;
    const Text sub = targetSubPath;
    return dictionaryOf({{"byname", &_fileByName},
                         {"filename", &_fileName},
                         {"fileurl", &_fileURL},
                         {"time", &_time},
                         {"basepath", &base},
                         {"tarpath", &sub},
                         {"filesize", &_fileSize},
                         {"filerecievesize", &_fileReceivedSize},
                         {"filevalidator", &_fileValidator}});
}

platform::Value FileModel::finishedEntryDictionary() const {
    return dictionaryOf({{"filename", &_fileName},
                         {"time", &_time},
                         {"filesize", &_fileSize},
                         {"filepath", &_targetPath},
                         {"byname", &_fileByName}});
}
