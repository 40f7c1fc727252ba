#include "automatic/GapClasses.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {
namespace {
constexpr double shortestDots = 2.0;
// Longer silences are pauses, not gaps of the text (the widest spacing's
// word gaps are about 21 dots; a fade's trough leaves silences of 24 and
// more).
constexpr double longestDots = 25.0;
constexpr std::size_t kept = 40;
constexpr std::size_t fewest = 4;
// Two gaps that lie far apart already tell a stretched spacing (a letter
// and a word gap of a slow sender's first word); as long as they are fewer
// than the fewest, a single class is not trusted (the first gaps of
// "R R FB" are word gaps).
constexpr std::size_t fewestApart = 2;
// The classes must lie this far apart (natural log of their ratio), or
// the gaps seen are taken as one class; while there are fewer than the
// fewest, no further apart than a letter and a word gap lie (about 2.3
// times, 2.7 at most), or the longer is a pause (a fade's trough after a
// word gap, the silence after a short over: "R R" and the 21 dots after
// it are no letter and word gap).
constexpr double apart = 0.45;
constexpr double farthestApart = 1.0;
// Gaps that scatter more than this within their classes (root mean square,
// natural log) are not a sender's spacing but noise cutting marks: the
// standard classes stay.
constexpr double steadiest = 0.25;
constexpr double standardLetter = 3.0;
constexpr double standardWord = 7.0;
// The word end lies between the classes, never below a standard letter
// gap's reach.
constexpr double leastWordEnd = 5.0;
}  // namespace

void GapClasses::reset() {
    recent_.clear();
    twoClasses_ = false;
    letterDots_ = standardLetter;
    wordDots_ = standardWord;
}

void GapClasses::take(double dots) {
    if (dots < shortestDots || dots > longestDots) return;
    recent_.push_back(std::log(dots));
    if (recent_.size() > kept) recent_.erase(recent_.begin());
    if (recent_.size() >= fewestApart) split();
}

bool GapClasses::learnt() const { return recent_.size() >= (twoClasses_ ? fewest : 2 * fewest); }

double GapClasses::wordEndDots() const { return std::max(leastWordEnd, std::sqrt(letterDots_ * wordDots_)); }

void GapClasses::split() {
    std::vector<double> sorted = recent_;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    // The split with the least spread within the two classes.
    double total = 0.0;
    for (double v : sorted) total += v;
    double below = 0.0;
    double bestSpread = -1.0;
    std::size_t bestAt = 0;
    double bestLow = 0.0, bestHigh = 0.0;
    for (std::size_t at = 1; at < n; ++at) {
        below += sorted[at - 1];
        const double low = below / static_cast<double>(at);
        const double high = (total - below) / static_cast<double>(n - at);
        double spread = 0.0;
        for (std::size_t k = 0; k < n; ++k) {
            const double d = sorted[k] - (k < at ? low : high);
            spread += d * d;
        }
        if (bestSpread < 0.0 || spread < bestSpread) {
            bestSpread = spread;
            bestAt = at;
            bestLow = low;
            bestHigh = high;
        }
    }
    double mean = total / static_cast<double>(n);
    double oneSpread = 0.0;
    for (double v : sorted) oneSpread += (v - mean) * (v - mean);
    const bool two = bestAt > 0 && bestHigh - bestLow >= apart && (n >= fewest || bestHigh - bestLow <= farthestApart);
    twoClasses_ = two;
    if ((!two && n < fewest) || std::sqrt((two ? bestSpread : oneSpread) / static_cast<double>(n)) > steadiest) {
        letterDots_ = standardLetter;
        wordDots_ = standardWord;
        return;
    }
    if (!two) {
        // One class: letter gaps, which in a text outnumber word gaps.
        letterDots_ = std::max(standardLetter, std::exp(mean));
        wordDots_ = std::max(standardWord, letterDots_ * standardWord / standardLetter);
        return;
    }
    letterDots_ = std::max(standardLetter, std::exp(bestLow));
    wordDots_ = std::max(standardWord, std::exp(bestHigh));
}

}  // namespace ditdahl::automatic
