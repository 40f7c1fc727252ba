// Settings files in the INI format: [Section] headers and key=value lines.
// Sections and keys match ignoring letter case; blanks around keys and values
// do not count; a value ends at a carriage return; a value in matching quotes
// is read without them; lines starting with ';' are comments. A write changes only its key's line, adds a
// missing key at the end of its section and a missing section at the end of
// the file, and replaces the file in one step (a new file renamed over the
// old), so that a crash during a save never leaves a half-written file.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace ditdahl {

// The decimal number at the start of the value (an optional sign, then
// digits; 0 when there are none), or defaultValue when the key is missing.
int readProfileInt(const std::string& path, std::string_view section, std::string_view key, int defaultValue);

// The value, trimmed and unquoted, cut to maxLength characters; defaultValue
// when the key is missing.
std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t maxLength = 65535);

// Sets key=value, creating the file and the section when missing. A value is
// one line: it is cut at the first line break. A value with blanks at either
// end, or in matching quotes, is written in double quotes, so that
// readProfileString gives it back as it was. False when the file could not
// be written; the old file is then left as it was.
bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

struct ProfileEntry {
    std::string_view section;
    std::string_view key;
    std::string value;
};

// The same for several keys, in order, with one replacement of the file: the
// file holds all of them or, on failure, none.
bool writeProfileStrings(const std::string& path, std::span<const ProfileEntry> entries);

}  // namespace ditdahl
