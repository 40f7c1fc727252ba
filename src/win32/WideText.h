// The program's text is UTF-8; Windows takes UTF-16 in its wide functions.
// Every string that crosses into the system goes through these, so that a
// name or a typed word in any language survives the trip both ways.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ditdahl {

std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);
// A file name for the wide file functions: made absolute, and given the
// \\?\ prefix when it is longer than the system's classic path limit, which
// lifts the limit for it.
std::wstring widePath(const std::string& utf8);
// What a window or control shows, as UTF-8.
std::string windowText(HWND window);

}  // namespace ditdahl
