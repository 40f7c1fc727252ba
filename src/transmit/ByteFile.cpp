#include "transmit/ByteFile.h"

#include <filesystem>

namespace ditdahl {

std::optional<ByteFile> ByteFile::open(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    return ByteFile(file);
}

std::optional<unsigned char> ByteFile::next() {
    if (!file_) return std::nullopt;
    const int c = std::fgetc(file_.get());
    if (c == EOF) return std::nullopt;
    return static_cast<unsigned char>(c);
}

}  // namespace ditdahl
