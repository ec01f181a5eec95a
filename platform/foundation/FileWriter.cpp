#include "platform/foundation/FileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace platform {

FileWriter::~FileWriter() {
    close();
}

bool FileWriter::open(const std::string& path, std::uint64_t keepBytes) {
    close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        lastError_ = errno;
        return false;
    }
    const auto offset = static_cast<off_t>(keepBytes);
    // Cut only a file that holds more (or less) than stays: on ext4 even an empty cut marks the
    // file to be flushed to the disk when it is closed, which made the end of every fresh
    // download wait for the whole file's writeback.
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        lastError_ = errno;
        close();
        return false;
    }
    if ((status.st_size != offset && ::ftruncate(fd_, offset) != 0) || ::lseek(fd_, offset, SEEK_SET) != offset) {
        lastError_ = errno;
        close();
        return false;
    }
    return true;
}

bool FileWriter::write(std::string_view bytes) {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            lastError_ = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void FileWriter::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool FileWriter::lastErrorWasNoSpace() const {
    return lastError_ == ENOSPC || lastError_ == EDQUOT;
}

}  // namespace platform
