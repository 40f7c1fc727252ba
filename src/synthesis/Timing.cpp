#include "synthesis/Timing.h"

#include "base/MorseTable.h"

namespace ditdahl::synthesis {

Keying timeKeying(std::string_view text, const Timing& timing, NoiseGenerator& random) {
    MorseTable table;
    buildMorseTable(table);
    auto varied = [&](double seconds) { return seconds * (1.0 + timing.spread * (2.0 * random.uniform() - 1.0)); };
    Keying out;
    double t = timing.leadInSeconds;
    std::size_t word = 0;
    bool blankBefore = false;
    for (char raw : text) {
        const unsigned char c = upperAscii(static_cast<unsigned char>(raw));
        if (c == ' ') {
            blankBefore = true;
            continue;
        }
        const std::string_view pattern = table.pattern(c);
        if (pattern.empty()) continue;
        if (blankBefore && !out.marks.empty()) ++word;
        const bool later = timing.laterWpm > 0.0 && word >= timing.changeAtWord;
        const double dot = 1.2 / (later ? timing.laterWpm : timing.wpm);
        const double weighting = dot * (timing.weight - 1.0) / (timing.weight + 1.0);
        if (!out.marks.empty()) t += varied((blankBefore ? timing.wordGapDots : timing.letterGapDots) * dot);
        blankBefore = false;
        for (std::size_t e = 0; e < pattern.size(); ++e) {
            const bool isDot = pattern[e] == '.';
            const bool drawnDash = !isDot && timing.dashMaxDots > timing.dashDots;
            double length = isDot ? dot : timing.dashDots * dot;
            if (drawnDash) length = dot * (timing.dashDots + (timing.dashMaxDots - timing.dashDots) * random.uniform());
            const bool exact = isDot && timing.machineDots;
            if (!exact && !drawnDash) length = varied(length);
            out.marks.push_back({t, t + length + weighting});
            t += length;
            if (e + 1 < pattern.size()) t += exact ? dot : varied(dot);
        }
        out.characterLastMark.push_back(out.marks.size() - 1);
    }
    out.totalSeconds = t + timing.tailSeconds;
    return out;
}

}  // namespace ditdahl::synthesis
