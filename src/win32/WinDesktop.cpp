#include "win32/WinDesktop.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

namespace ditdahl {
namespace {

constexpr const char* viewerProgram = "notepad.exe";

UINT messageBoxStyle(const MessageBoxRequest& request) {
    UINT style = request.buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
    if (request.icon == MessageIcon::Question) style |= MB_ICONQUESTION;
    if (request.icon == MessageIcon::Warning) style |= MB_ICONWARNING;
    return style;
}

}  // namespace

std::string viewerCommandLine(const std::string& program, const std::string& path) {
    return program + " \"" + path + "\"";
}

MessageAnswer WinDesktop::messageBox(const MessageBoxRequest& request) {
    const int answer =
        MessageBoxA(static_cast<HWND>(owner_), request.text.c_str(), request.caption.c_str(), messageBoxStyle(request));
    return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::string WinDesktop::chooseOpenFile(const OpenFileRequest& request) {
    // Description and pattern pairs, each ending in a NUL, the list ending in
    // a second NUL.
    std::string filter = request.filterDescription;
    filter.push_back('\0');
    filter += request.filterPattern;
    filter.push_back('\0');
    std::vector<char> path(MAX_PATH, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = static_cast<HWND>(owner_);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = request.title.c_str();
    // NOCHANGEDIR: browsing elsewhere leaves the current directory alone.
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&dialog)) return {};
    return path.data();
}

std::string WinDesktop::startViewer(const std::string& path) {
    std::string commandLine = viewerCommandLine(viewerProgram, path);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return "Cannot start \"" + std::string(viewerProgram) + "\" to view the log file (error " +
               std::to_string(GetLastError()) + ").";
    }
    // Not waited for.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {};
}

}  // namespace ditdahl
