// Replaces a file's contents in one step: the bytes go to a new file beside
// it, which is synced to disk and then renamed over the old one. A crash at
// any moment leaves either the old file or the new one, never a mix.
#pragma once

#include <string>
#include <string_view>

namespace ditdahl {

// False when the file could not be written; the old file is then unchanged.
bool replaceFile(const std::string& path, std::string_view bytes);

}  // namespace ditdahl
