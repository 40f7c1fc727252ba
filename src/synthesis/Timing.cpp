#include "synthesis/Timing.h"

#include "base/MorseTable.h"

namespace ditdahl::synthesis {

namespace {

// One sender's hand: how long each element and gap comes out.
class Hand {
public:
    Hand(const Timing& timing, NoiseGenerator& random) : timing_(timing), random_(random) {}

    double varied(double seconds) { return seconds * (1.0 + timing_.spread * (2.0 * random_.uniform() - 1.0)); }

    // A semi-automatic key makes its dots itself; only the dashes are the hand's.
    bool machineDot(bool isDot) const { return isDot && timing_.machineDots; }

    double markSeconds(bool isDot, double dot) {
        if (!isDot && timing_.dashMaxDots > timing_.dashDots) {
            return dot * (timing_.dashDots + (timing_.dashMaxDots - timing_.dashDots) * random_.uniform());
        }
        const double length = isDot ? dot : timing_.dashDots * dot;
        return machineDot(isDot) ? length : varied(length);
    }

private:
    const Timing& timing_;
    NoiseGenerator& random_;
};

}  // namespace

Keying timeKeying(std::string_view text, const Timing& timing, NoiseGenerator& random) {
    MorseTable table;
    buildMorseTable(table);
    Hand hand(timing, random);
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
        if (!out.marks.empty()) t += hand.varied((blankBefore ? timing.wordGapDots : timing.letterGapDots) * dot);
        blankBefore = false;
        for (std::size_t e = 0; e < pattern.size(); ++e) {
            const bool isDot = pattern[e] == '.';
            const double length = hand.markSeconds(isDot, dot);
            out.marks.push_back({t, t + length + weighting});
            t += length;
            if (e + 1 < pattern.size()) t += hand.machineDot(isDot) ? dot : hand.varied(dot);
        }
        out.characterLastMark.push_back(out.marks.size() - 1);
    }
    out.totalSeconds = t + timing.tailSeconds;
    return out;
}

}  // namespace ditdahl::synthesis
