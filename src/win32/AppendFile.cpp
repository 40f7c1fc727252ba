#include "station/AppendFile.h"

#include <windows.h>

namespace ditdahl {
namespace {

HANDLE asHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

AppendFile::~AppendFile() { close(); }

bool AppendFile::open(const std::string& path) {
    close();
    // FILE_APPEND_DATA without FILE_WRITE_DATA puts every write at the end,
    // even when another program appends to the same file; sharing read and
    // write lets the operator open the log in an editor while it grows, and
    // sharing delete lets "Delete logfile" remove it.
    const HANDLE file =
        CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

void AppendFile::close() {
    if (isOpen()) {
        CloseHandle(asHandle(handle_));
        handle_ = closedHandle;
    }
}

bool AppendFile::write(std::string_view bytes) {
    if (!isOpen()) return false;
    // One call for the whole line: a reader never sees half of it.
    DWORD written = 0;
    const BOOL ok = WriteFile(asHandle(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok && written == bytes.size();
}

bool deleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

}  // namespace ditdahl
