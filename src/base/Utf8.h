// Text inside the program is UTF-8, as the platforms hand it over (the
// window, file names, the settings file). The Morse table covers ASCII; any
// other character is still one character: it is keyed as one pause, shown
// whole and never cut in two.
#pragma once

#include <cstddef>
#include <string_view>

namespace ditdahl {

// The byte length that a lead byte announces: 2 to 4, or 1 for ASCII and for
// a byte that leads no sequence.
std::size_t announcedCharacterLength(unsigned char lead);

// The byte length of the character at the start of text: 2 to 4 for a
// well-formed multi-byte sequence, else 1 (ASCII, or a stray byte taken as a
// character of its own); 0 for empty text.
std::size_t characterLength(std::string_view text);

// The byte length of the longest start of text, at most maxBytes long, that
// ends between two characters.
std::size_t wholeCharacterPrefix(std::string_view text, std::size_t maxBytes);

}  // namespace ditdahl
