#include "spots/CallShape.h"

#include <algorithm>
#include <array>
#include <vector>

namespace ditdahl {

namespace {

// The cluster's call column is 12 wide; no issued call needs more.
constexpr std::size_t longestCall = 12;
// "3DA0RU", "DL1ABCD": longer bases are words or runs of garble.
constexpr std::size_t longestBase = 7;

bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool allLettersOrDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return isLetter(c) || isDigit(c); });
}
bool hasLetter(std::string_view s) { return std::any_of(s.begin(), s.end(), isLetter); }

// Prefix, area digits, a suffix of one to four letters.
bool isBaseCall(std::string_view base) {
    if (base.size() < 3 || base.size() > longestBase || !allLettersOrDigits(base)) return false;
    // The Q series is no country's: those are Q-codes.
    if (base.front() == 'Q') return false;
    // A report run onto the word before it ("TU5NN") reads like a call;
    // it is far more common than a call ending so.
    if (base.find("5NN") != std::string_view::npos) return false;
    const std::size_t lastDigit = base.find_last_of("0123456789");
    if (lastDigit == std::string_view::npos) return false;
    const std::string_view suffix = base.substr(lastDigit + 1);
    if (suffix.empty() || suffix.size() > 4 || !std::all_of(suffix.begin(), suffix.end(), isLetter)) return false;
    // The prefix ends where the run of area digits begins.
    std::size_t areaStart = lastDigit;
    while (areaStart > 0 && isDigit(base[areaStart - 1])) --areaStart;
    // "9A2XY", "3DA0RU": a prefix may hold a digit of its own, never only digits.
    const std::string_view prefix = base.substr(0, areaStart);
    return !prefix.empty() && prefix.size() <= 3 && hasLetter(prefix);
}

// A country's prefix before the call: "DL/", "KH6/", "VP2E/".
bool isLocationPrefix(std::string_view part) {
    return !part.empty() && part.size() <= 4 && allLettersOrDigits(part) && hasLetter(part);
}

// Portable, mobile, maritime and aeronautical mobile, low power, an
// alternative location, or a call area.
bool isPortableSuffix(std::string_view part) {
    static constexpr std::array<std::string_view, 6> marks = {"P", "M", "MM", "AM", "QRP", "A"};
    if (part.size() == 1 && isDigit(part.front())) return true;
    return std::find(marks.begin(), marks.end(), part) != marks.end();
}

std::vector<std::string_view> slashParts(std::string_view word) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t slash = word.find('/'); slash != std::string_view::npos; slash = word.find('/', start)) {
        parts.push_back(word.substr(start, slash - start));
        start = slash + 1;
    }
    parts.push_back(word.substr(start));
    return parts;
}

}  // namespace

bool looksLikeCallsign(std::string_view word) {
    if (word.size() > longestCall) return false;
    const std::vector<std::string_view> parts = slashParts(word);
    if (parts.size() > 3) return false;
    // The call itself is the first part that has a call's shape; what is
    // before it names a country, what is after it says where it operates.
    const auto base = std::find_if(parts.begin(), parts.end(), isBaseCall);
    if (base == parts.end() || base - parts.begin() > 1) return false;
    if (base != parts.begin() && !isLocationPrefix(parts.front())) return false;
    return std::all_of(base + 1, parts.end(), isPortableSuffix);
}

}  // namespace ditdahl
