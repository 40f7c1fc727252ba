#include "shell/Profile.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "base/Utf8.h"
#include "base/Utf8Path.h"
#include "station/ReplaceFile.h"

namespace ditdahl {
namespace {

constexpr std::string_view blanks = " \t";

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// One line of the file, without its line break; the break is kept apart so
// that a rewrite gives back every other line byte for byte.
struct Line {
    std::string text;
    std::string ending;  // "\r\n", "\n" or "" for a last line without one
};

// The UTF-8 byte-order mark that some editors put before the first line.
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// The file's lines; a byte-order mark is not part of the first line, but is
// handed back in *mark so that a rewrite keeps it.
std::vector<Line> readLines(const std::string& path, bool* exists, std::string* mark = nullptr) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    *exists = static_cast<bool>(in);
    std::vector<Line> lines;
    if (!in) return lines;
    std::ostringstream all;
    all << in.rdbuf();
    const std::string bytes = all.str();
    std::size_t start = 0;
    if (std::string_view(bytes).starts_with(byteOrderMark)) {
        start = byteOrderMark.size();
        if (mark) *mark = byteOrderMark;
    }
    while (start < bytes.size()) {
        const auto newline = bytes.find('\n', start);
        if (newline == std::string::npos) {
            lines.push_back({bytes.substr(start), ""});
            break;
        }
        std::size_t end = newline;
        std::string ending = "\n";
        if (end > start && bytes[end - 1] == '\r') {
            --end;
            ending = "\r\n";
        }
        lines.push_back({bytes.substr(start, end - start), ending});
        start = newline + 1;
    }
    return lines;
}

// The section a line opens, if it is a section header.
std::optional<std::string_view> sectionName(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

// The key of a key=value line.
std::optional<std::string_view> keyName(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const auto equals = t.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return trim(t.substr(0, equals));
}

// A value is one line, and a carriage return ends it as it ends a value
// that is written: what follows a lone CR (left by a botched conversion of
// line breaks, "\r\r\n") would otherwise load but never save.
std::string_view valueOf(std::string_view line) {
    const std::string_view value = line.substr(line.find('=') + 1);
    return trim(value.substr(0, value.find('\r')));
}

// A value in matching quotes, which a read takes off.
bool quoted(std::string_view v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

std::optional<std::string> findValue(const std::string& path, std::string_view section, std::string_view key) {
    bool exists = false;
    const std::vector<Line> lines = readLines(path, &exists);
    bool inSection = false;
    for (const Line& line : lines) {
        if (auto name = sectionName(line.text)) {
            inSection = equalIgnoringCase(*name, section);
            continue;
        }
        if (!inSection) continue;
        if (auto k = keyName(line.text); k && equalIgnoringCase(*k, key)) return std::string(valueOf(line.text));
    }
    return std::nullopt;
}

}  // namespace

int readProfileInt(const std::string& path, std::string_view section, std::string_view key, int defaultValue) {
    const auto value = findValue(path, section, key);
    if (!value) return defaultValue;
    std::string_view v = *value;
    if (quoted(v)) v = trim(v.substr(1, v.size() - 2));
    bool negative = false;
    std::size_t i = 0;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) {
        negative = v[i] == '-';
        ++i;
    }
    // Accumulate in unsigned arithmetic so that an absurdly long number wraps
    // like a 32-bit register instead of overflowing.
    unsigned result = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) result = result * 10u + static_cast<unsigned>(v[i] - '0');
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t maxLength) {
    const auto found = findValue(path, section, key);
    std::string_view v = found ? std::string_view(*found) : trim(defaultValue);
    if (found && quoted(v)) v = v.substr(1, v.size() - 2);
    return std::string(v.substr(0, wholeCharacterPrefix(v, maxLength)));
}

namespace {

// Sets key=value in the lines, as writeProfileString describes.
void setKey(std::vector<Line>& lines, std::string_view section, std::string_view key, std::string_view value,
            const std::string& ending) {
    value = value.substr(0, value.find_first_of("\r\n"));
    // A read takes off blanks at either end and one pair of quotes: a value
    // that has either is written in double quotes, so that it reads back as
    // it was (a beacon text ending in a blank keeps it).
    const bool asIs = trim(value).size() == value.size() && !quoted(value);
    const std::string newLine = std::string(key) + "=" + (asIs ? std::string(value) : "\"" + std::string(value) + "\"");

    std::optional<std::size_t> sectionStart;   // index of the header
    std::optional<std::size_t> lastInSection;  // last non-blank line of the section
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionName(lines[i].text)) {
            if (inSection) break;  // the section ended without the key
            inSection = equalIgnoringCase(*name, section);
            if (inSection) {
                sectionStart = i;
                lastInSection = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (!trim(lines[i].text).empty()) lastInSection = i;
        if (auto k = keyName(lines[i].text); k && equalIgnoringCase(*k, key)) {
            lines[i].text = newLine;
            return;
        }
    }
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = ending;
    if (sectionStart) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lastInSection + 1), Line{newLine, ending});
    } else {
        lines.push_back({"[" + std::string(section) + "]", ending});
        lines.push_back({newLine, ending});
    }
}

}  // namespace

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    const ProfileEntry entry{section, key, std::string(value)};
    return writeProfileStrings(path, std::span(&entry, 1));
}

bool writeProfileStrings(const std::string& path, std::span<const ProfileEntry> entries) {
    bool exists = false;
    std::string mark;
    std::vector<Line> lines = readLines(path, &exists, &mark);
    // New lines follow the file's own line breaks; a new file gets CR LF,
    // which the program reads on every system, so one file serves both.
    std::string ending = "\r\n";
    for (const Line& line : lines) {
        if (!line.ending.empty()) {
            ending = line.ending;
            break;
        }
    }
    for (const ProfileEntry& entry : entries) setKey(lines, entry.section, entry.key, entry.value, ending);

    std::string bytes = mark;
    for (const Line& line : lines) bytes += line.text + line.ending;
    return replaceFile(path, bytes);
}

}  // namespace ditdahl
