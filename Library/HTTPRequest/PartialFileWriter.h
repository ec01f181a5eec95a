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
    bool write(std::string_view bytes);
    void close();

private:
    int fd_ = -1;
};
