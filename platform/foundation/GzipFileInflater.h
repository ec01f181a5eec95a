#pragma once

#include <string>

namespace platform {

// Inflates a gzip file into another file through fixed buffers, so memory stays flat whatever
// the size. Several gzip members one after another are inflated one after another.
class GzipFileInflater {
public:
    enum class Result { Inflated, NotGzip, NoSpace, Unwritable };

    // Anything but Inflated leaves no target: a partly written one is removed. NotGzip covers a
    // source that cannot be read or is not complete gzip data.
    static Result inflateFile(const std::string& sourcePath, const std::string& targetPath);
};

}  // namespace platform
