// Text in the program is UTF-8, file names included; the system's own path
// type may hold something else (UTF-16 on Windows). These convert at the one
// place where a name becomes a path, so that a folder named in any language
// opens on every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ditdahl {

inline std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace ditdahl
