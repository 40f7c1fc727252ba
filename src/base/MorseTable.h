// The dot/dash patterns shared by the keyer and the decoder: 256 entries by
// 8-bit character code, 49 of them filled, with the run-together signals SOS,
// CQ and SK carried by "!", "%" and "&". Built once at start-up, then only
// read, from any thread.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "base/FixedText.h"

namespace ditdahl {

struct MorseTable {
    std::array<FixedText<16>, 256> patterns;

    std::string_view pattern(unsigned char code) const { return patterns[code].view(); }
};

// Empties every entry, then writes the 49 patterns.
void buildMorseTable(MorseTable& table);

// The lowest character code whose pattern equals the given one, or '#' when
// none does. (The empty pattern equals the empty entry 0 and yields 0.)
unsigned char lookupCharacter(const MorseTable& table, std::string_view pattern);

// The text written for a decoded character: "SOS" for '!', "CQ" for '%', "SK"
// for '&', otherwise the character itself.
std::string expandCharacter(unsigned char code);

// Plain ASCII upper-casing: only 'a' to 'z' change.
constexpr unsigned char upperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

}  // namespace ditdahl
