#include "station/AppendFile.h"

#include <windows.h>

#include "win32/WideText.h"

namespace ditdahl {
namespace {

class SystemAppendFile final : public AppendFile {
public:
    explicit SystemAppendFile(HANDLE file) : file_(file) {}
    ~SystemAppendFile() override { CloseHandle(file_); }
    SystemAppendFile(const SystemAppendFile&) = delete;
    SystemAppendFile& operator=(const SystemAppendFile&) = delete;

    bool write(std::string_view bytes) override {
        // One call for the whole line: a reader never sees half of it.
        DWORD written = 0;
        const BOOL ok = WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return ok && written == bytes.size();
    }

private:
    HANDLE file_;
};

}  // namespace

std::unique_ptr<AppendFile> openAppendFile(const std::string& path) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA puts every write at the end,
    // even when another program appends to the same file; sharing read and
    // write lets the operator open the log in an editor while it grows, and
    // sharing delete lets "Delete logfile" remove it.
    const HANDLE file =
        CreateFileW(widePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<SystemAppendFile>(file);
}

bool deleteFile(const std::string& path) { return DeleteFileW(widePath(path).c_str()) != 0; }

}  // namespace ditdahl
