#include <gtest/gtest.h>

#include <set>

#include "base/MorseTable.h"

namespace ditdahl {
namespace {

MorseTable builtTable() {
    MorseTable table;
    buildMorseTable(table);
    return table;
}

TEST(MorseTable, HoldsExactlyTheFortyNineUniquePatterns) {
    const MorseTable table = builtTable();
    std::set<std::string> patterns;
    int filled = 0;
    for (int code = 0; code < 256; ++code) {
        const auto p = table.pattern(static_cast<unsigned char>(code));
        if (p.empty()) continue;
        ++filled;
        EXPECT_LE(p.size(), 15u);
        EXPECT_EQ(p.find_first_not_of(".-"), std::string_view::npos) << code;
        EXPECT_TRUE(patterns.emplace(p).second) << "duplicate pattern " << p;
    }
    EXPECT_EQ(filled, 49);
    for (unsigned char c : std::string_view("abcz \n#*@\"'")) EXPECT_TRUE(table.pattern(c).empty()) << c;
}

TEST(MorseTable, PatternsOfLettersFiguresPunctuationAndSignals) {
    const MorseTable table = builtTable();
    const std::pair<char, const char*> expected[] = {
        {'A', ".-"},     {'B', "-..."},   {'C', "-.-."},  {'D', "-.."},    {'E', "."},         {'F', "..-."},
        {'G', "--."},    {'H', "...."},   {'I', ".."},    {'J', ".---"},   {'K', "-.-"},       {'L', ".-.."},
        {'M', "--"},     {'N', "-."},     {'O', "---"},   {'P', ".--."},   {'Q', "--.-"},      {'R', ".-."},
        {'S', "..."},    {'T', "-"},      {'U', "..-"},   {'V', "...-"},   {'W', ".--"},       {'X', "-..-"},
        {'Y', "-.--"},   {'Z', "--.."},   {'0', "-----"}, {'1', ".----"},  {'2', "..---"},     {'3', "...--"},
        {'4', "....-"},  {'5', "....."},  {'6', "-...."}, {'7', "--..."},  {'8', "---.."},     {'9', "----."},
        {'(', "-.--."},  {')', "-.--.-"}, {'+', ".-.-."}, {',', "--..--"}, {'-', "-....-"},    {'.', ".-.-.-"},
        {'/', "-..-."},  {':', "---..."}, {'=', "-...-"}, {'?', "..--.."}, {'!', "...---..."}, {'%', "-.-.--.-"},
        {'&', "...-.-"},
    };
    for (const auto& [character, pattern] : expected) {
        EXPECT_EQ(table.pattern(static_cast<unsigned char>(character)), pattern) << character;
        EXPECT_EQ(lookupCharacter(table, pattern), static_cast<unsigned char>(character)) << pattern;
    }
}

TEST(MorseTable, LookupAndExpansion) {
    const MorseTable table = builtTable();
    struct Case {
        const char* pattern;
        const char* written;
    };
    const Case cases[] = {
        {".", "E"},        {"-", "T"},    {"...---...", "SOS"},     {"-.-.--.-", "CQ"},       {"...-.-", "SK"},
        {"........", "#"}, {"..--", "#"}, {"...............", "#"}, {"---------------", "#"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expandCharacter(lookupCharacter(table, c.pattern)), c.written) << c.pattern;
    }
    EXPECT_EQ(expandCharacter('#'), "#");
    EXPECT_EQ(expandCharacter('A'), "A");
    EXPECT_EQ(expandCharacter('?'), "?");
    // The empty pattern equals the empty entry of code 0.
    EXPECT_EQ(lookupCharacter(table, ""), 0);
}

TEST(MorseTable, KeyerFindsCapitalPatternForLowerCaseAndRebuildIsIdempotent) {
    MorseTable table = builtTable();
    for (unsigned char c = 'a'; c <= 'z'; ++c) {
        EXPECT_EQ(table.pattern(upperAscii(c)), table.pattern(static_cast<unsigned char>(c - 'a' + 'A')));
    }
    EXPECT_EQ(upperAscii(0xE4), 0xE4);  // only a..z change
    const MorseTable once = table;
    buildMorseTable(table);
    for (int code = 0; code < 256; ++code) EXPECT_EQ(table.patterns[code].view(), once.patterns[code].view());
}

}  // namespace
}  // namespace ditdahl
