#include "base/MorseTable.h"

namespace ditdahl {
namespace {

struct Entry {
    char character;
    const char* pattern;
};

// International Morse code for letters, figures and punctuation, plus the
// procedure signals sent as one sign.
constexpr Entry entries[] = {
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

}  // namespace

void buildMorseTable(MorseTable& table) {
    for (auto& pattern : table.patterns) pattern.clear();
    for (const Entry& entry : entries) {
        table.patterns[static_cast<unsigned char>(entry.character)].assign(entry.pattern);
    }
}

unsigned char lookupCharacter(const MorseTable& table, std::string_view pattern) {
    for (std::size_t code = 0; code < table.patterns.size(); ++code) {
        if (table.patterns[code].view() == pattern) return static_cast<unsigned char>(code);
    }
    return '#';
}

std::string expandCharacter(unsigned char code) {
    switch (code) {
        case '!':
            return "SOS";
        case '%':
            return "CQ";
        case '&':
            return "SK";
        default:
            return std::string(1, static_cast<char>(code));
    }
}

}  // namespace ditdahl
