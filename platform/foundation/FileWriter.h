#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// A file written from a position on: opened (created when missing), cut to the bytes that stay,
// then written straight through to the kernel, so every byte is in the file as soon as write()
// returns and a killed process loses nothing it wrote. A failure keeps the system's error number.
class FileWriter {
public:
    FileWriter() = default;
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Opens the file and cuts it to `keepBytes`; writing goes on from there.
    bool open(const std::string& path, std::uint64_t keepBytes);
    bool isOpen() const { return fd_ >= 0; }
    // False when not every byte could be written; the bytes before the failure stay in the file.
    bool write(std::string_view bytes);
    void close();

    // The system's error number of the last failed open or write, 0 when none failed.
    int lastError() const { return lastError_; }
    // The last failure was a disk (or the user's quota) with no room left.
    bool lastErrorWasNoSpace() const;

private:
    int fd_ = -1;
    int lastError_ = 0;
};

}  // namespace platform
