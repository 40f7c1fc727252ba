#include "transmit/ByteFile.h"

#include <filesystem>

#include "base/Utf8.h"

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

std::string ByteFile::nextCharacter() {
    const auto lead = next();
    if (!lead) return {};
    std::string character(1, static_cast<char>(*lead));
    // The continuation bytes its lead byte announces; a byte that is none is
    // left for the next character, and a sequence cut short stays one
    // character.
    const std::size_t announced = announcedCharacterLength(*lead);
    while (character.size() < announced) {
        const int c = std::fgetc(file_.get());
        if (c == EOF) break;
        if ((c & 0xC0) != 0x80) {
            std::ungetc(c, file_.get());
            break;
        }
        character += static_cast<char>(c);
    }
    return character;
}

}  // namespace ditdahl
