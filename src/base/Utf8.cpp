#include "base/Utf8.h"

namespace ditdahl {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::size_t announcedCharacterLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

std::size_t characterLength(std::string_view text) {
    if (text.empty()) return 0;
    const std::size_t length = announcedCharacterLength(static_cast<unsigned char>(text[0]));
    if (length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[i]))) return 1;
    }
    return length;
}

std::size_t wholeCharacterPrefix(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + characterLength(text.substr(end));
        if (next > maxBytes) break;
        end = next;
    }
    return end;
}

}  // namespace ditdahl
