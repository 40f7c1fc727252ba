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
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

void AppendFile::close() {
    if (isOpen()) {
        ::close(static_cast<int>(handle_));
        handle_ = closedHandle;
    }
}

bool AppendFile::write(std::string_view bytes) {
    if (!isOpen()) return false;
    // One write call for the whole line; a regular file takes it whole unless
    // the disk is full, in which case the rest would be lost anyway.
    ssize_t written;
    do {
        written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(bytes.size());
}

bool deleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace ditdahl
