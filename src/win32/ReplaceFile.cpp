#include "station/ReplaceFile.h"

#include <windows.h>

#include <algorithm>

#include "win32/WideText.h"

namespace ditdahl {
namespace {

bool writeAllAndFlush(HANDLE file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return FlushFileBuffers(file) != 0;
}

}  // namespace

bool replaceFile(const std::string& path, std::string_view bytes) {
    const std::wstring target = widePath(path);
    const std::wstring temporary = target + L".new";
    const HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = writeAllAndFlush(file, bytes);
    if (!CloseHandle(file)) ok = false;
    // WRITE_THROUGH: the rename itself is on the disk before the call returns.
    if (ok && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
    }
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace ditdahl
