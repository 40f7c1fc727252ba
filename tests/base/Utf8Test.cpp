#include <gtest/gtest.h>

#include "base/FixedText.h"
#include "base/Utf8.h"

namespace ditdahl {
namespace {

// Cuts fall between characters; a stray byte is a character of its own.
TEST(Utf8, CharactersAreMeasuredAndNeverCutInTwo) {
    struct Case {
        std::string_view text;
        std::size_t first;  // length of the first character
        std::size_t maxBytes;
        std::size_t prefix;  // whole characters within maxBytes
    };
    const Case cases[] = {
        {"AB", 1, 1, 1},
        {"\xC3\xA9x", 2, 1, 0},  // é cannot be halved
        {"\xC3\xA9x", 2, 2, 2},
        {"\xE2\x82\xAC!", 3, 3, 3},     // €
        {"\xF0\x9F\x93\xBB", 4, 3, 0},  // a radio, four bytes
        {"\xE9t\xE9", 1, 2, 2},         // Latin-1 bytes: each alone
        {"\xC3", 1, 5, 1},              // a sequence cut short
        {"\xE2\x82", 1, 1, 1},
        {"", 0, 4, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(characterLength(c.text), c.first) << c.text;
        EXPECT_EQ(wholeCharacterPrefix(c.text, c.maxBytes), c.prefix) << c.text;
    }
    FixedText<5> text;
    EXPECT_FALSE(text.append("ab\xC3\xA9\xC3\xA9"));
    EXPECT_EQ(text.view(), "ab\xC3\xA9");
}

}  // namespace
}  // namespace ditdahl
