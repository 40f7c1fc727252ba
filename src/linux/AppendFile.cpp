#include "station/AppendFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace ditdahl {

AppendFile::~AppendFile() { close(); }

bool AppendFile::open(const std::string& path) {
    close();
    // O_APPEND puts every write at the end, even when another program appends
    // to the same file.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

void AppendFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool AppendFile::write(std::string_view bytes) {
    if (fd_ < 0) return false;
    // One write call for the whole line; a regular file takes it whole unless
    // the disk is full, in which case the rest would be lost anyway.
    ssize_t written;
    do {
        written = ::write(fd_, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(bytes.size());
}

bool deleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace ditdahl
