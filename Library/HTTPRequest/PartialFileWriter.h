#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Writes a download's body into its partial file straight through to the kernel: every chunk is
// in the file as soon as write() returns, so a killed process loses nothing it received.
class PartialFileWriter {
public:
    PartialFileWriter() = default;
    ~PartialFileWriter();
    PartialFileWriter(const PartialFileWriter&) = delete;
    PartialFileWriter& operator=(const PartialFileWriter&) = delete;

    // Opens (creating) the file and cuts it to `keepBytes`; writing goes on from there.
    bool open(const std::string& path, std::uint64_t keepBytes);
    bool isOpen() const { return fd_ >= 0; }
    // False when not every byte could be written; the bytes before the failure stay in the file.
    bool write(std::string_view bytes);
    void close();

    // The system's error number of the last failed open or write.
    int lastError() const { return lastError_; }
    // The last failure was a disk (or the user's quota) with no room left.
    bool lastErrorWasNoSpace() const;

private:
    int fd_ = -1;
    int lastError_ = 0;
};
