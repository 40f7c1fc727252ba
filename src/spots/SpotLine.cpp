#include "spots/SpotLine.h"

#include <algorithm>
#include <cmath>

namespace ditdahl {

namespace {

// Where each field ends (frequency, time) or starts (call, comment), from 0.
constexpr std::size_t frequencyEnd = 24;
constexpr std::size_t callColumn = 26;
constexpr std::size_t commentColumn = 39;
constexpr std::size_t timeColumn = 70;
constexpr std::size_t callWidth = 12;

// Pads with blanks to column, or with fewest blanks when the text already
// reaches it, so that a long field shifts the rest rather than running into it.
void padTo(std::string& line, std::size_t column, std::size_t fewest = 1) {
    line.append(std::max(column, line.size() + fewest) - line.size(), ' ');
}

// Right-aligned in width; digits only, so that no locale puts a comma in.
std::string number(long long value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// One decimal, always: "14025.3".
std::string kiloHertz(double kHz) {
    const long long tenths = std::llround(kHz * 10);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string twoDigits(int value) { return std::string(value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

std::string spotLine(const Spot& spot, const SpotSettings& settings) {
    const double offsetKHz = spot.toneHz / 1000.0;
    // Below 0 only a dial left unset can put it.
    const double rfKHz =
        std::max(0.0, settings.upperSideband ? settings.dialKHz + offsetKHz : settings.dialKHz - offsetKHz);
    std::string line = "DX de " + settings.node + "-#:";
    const std::string frequency = kiloHertz(rfKHz);
    padTo(line, frequencyEnd - std::min(frequency.size(), frequencyEnd));
    line += frequency;
    padTo(line, callColumn, 2);
    line += spot.call.substr(0, callWidth);
    padTo(line, commentColumn);
    // Reports beyond three digits are no reports: kept within the columns.
    const long long snrDb = std::clamp<long long>(std::llround(spot.snrDb), -99, 999);
    const long long wpm = std::clamp<long long>(std::llround(spot.wpm), 0, 999);
    line += "CW " + number(snrDb, 3) + " dB " + number(wpm, 3) + " WPM";
    if (spot.cq) line += "  CQ";
    padTo(line, timeColumn);
    line += twoDigits(spot.time.hour) + twoDigits(spot.time.minute) + "Z";
    return line;
}

}  // namespace ditdahl
