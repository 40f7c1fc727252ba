#include "transmit/ByteFile.h"

#include <filesystem>

#include "base/Utf8.h"
#include "base/Utf8Path.h"

namespace ditdahl {

std::optional<ByteFile> ByteFile::open(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(pathFromUtf8(path), error)) return std::nullopt;
    auto file = std::make_unique<std::filebuf>();
    if (!file->open(pathFromUtf8(path), std::ios::in | std::ios::binary)) return std::nullopt;
    return ByteFile(std::move(file));
}

std::optional<unsigned char> ByteFile::next() {
    if (!file_) return std::nullopt;
    const auto c = file_->sbumpc();
    if (c == std::filebuf::traits_type::eof()) return std::nullopt;
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
        const auto c = file_->sgetc();
        if (c == std::filebuf::traits_type::eof() || (c & 0xC0) != 0x80) break;
        character += static_cast<char>(file_->sbumpc());
    }
    return character;
}

}  // namespace ditdahl
