#pragma once

#include <string>

// Inflates a gzip file into another file through fixed buffers, so memory stays flat whatever
// the size. Several gzip members one after another are inflated one after another.
class GzipFileInflater {
public:
    // False when the source cannot be read, is not complete gzip data, or the target cannot be
    // written; a partly written target is removed then.
    static bool inflateFile(const std::string& sourcePath, const std::string& targetPath);
};
