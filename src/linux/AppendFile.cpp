#include "station/AppendFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace ditdahl {
namespace {

class SystemAppendFile final : public AppendFile {
public:
    explicit SystemAppendFile(int fd) : fd_(fd) {}
    ~SystemAppendFile() override { ::close(fd_); }
    SystemAppendFile(const SystemAppendFile&) = delete;
    SystemAppendFile& operator=(const SystemAppendFile&) = delete;

    bool write(std::string_view bytes) override {
        // One write call for the whole line. A full disk may take part of it:
        // that part is cut off again, so that the file never holds half a
        // line and the whole line can be written later.
        const off_t before = ::lseek(fd_, 0, SEEK_END);
        ssize_t written;
        do {
            written = ::write(fd_, bytes.data(), bytes.size());
        } while (written < 0 && errno == EINTR);
        if (written == static_cast<ssize_t>(bytes.size())) return true;
        if (written > 0 && before >= 0) {
            // Should even this fail, nothing more can be done here.
            [[maybe_unused]] const int cut = ::ftruncate(fd_, before);
        }
        return false;
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<AppendFile> openAppendFile(const std::string& path) {
    // O_APPEND puts every write at the end, even when another program appends
    // to the same file.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<SystemAppendFile>(fd);
}

bool deleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

}  // namespace ditdahl
