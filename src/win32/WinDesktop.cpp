#include "win32/WinDesktop.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "win32/WideText.h"

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
    const int answer = MessageBoxW(static_cast<HWND>(owner_), toWide(request.text).c_str(),
                                   toWide(request.caption).c_str(), messageBoxStyle(request));
    return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

std::string WinDesktop::chooseOpenFile(const OpenFileRequest& request) {
    // Description and pattern pairs, each ending in a NUL, the list ending in
    // a second NUL.
    std::wstring filter = toWide(request.filterDescription);
    filter.push_back(L'\0');
    filter += toWide(request.filterPattern);
    filter.push_back(L'\0');
    const std::wstring title = toWide(request.title);
    // Room for the longest name the wide file functions take.
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = static_cast<HWND>(owner_);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = title.c_str();
    // NOCHANGEDIR: browsing elsewhere leaves the current directory alone.
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return {};
    return fromWide(path.data());
}

std::string WinDesktop::startViewer(const std::string& path) {
    std::wstring commandLine = toWide(viewerCommandLine(viewerProgram, path));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
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
