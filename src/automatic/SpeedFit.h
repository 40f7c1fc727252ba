// The dot length that best explains a set of mark and gap durations: each
// duration is put in its nearest Morse class (marks 1 or 3 dots, gaps 1, 3 or
// 7 dots) and the dot length renewed from the classes, until it settles;
// started from several lengths between 5 and 50 wpm, the best fit wins. Also
// how badly durations fit a given dot length, which the quality gate uses.
// Plain functions, any thread.
#pragma once

#include <cstddef>
#include <vector>

namespace ditdahl::automatic {

inline constexpr double slowestDotMs = 240.0;  // 5 wpm
inline constexpr double fastestDotMs = 24.0;   // 50 wpm
// The search for a sender's speed looks a little beyond the fastest
// followed: near the noise a sender at the fastest fits a dot a little
// shorter as often as a little longer.
inline constexpr double fastestFoundDotMs = 22.0;  // 55 wpm

struct SpeedFit {
    double dotMs = 0.0;
    double cost = 0.0;  // mean squared log deviation from the classes (outliers capped)
    // How much longer than its class each mark is taken to be, and each gap
    // shorter (ms; negative for light keying).
    double weightMs = 0.0;
    bool valid() const { return dotMs > 0.0; }
};

// Log deviation of a duration from the nearest class, and that class, for a
// mark or a gap at the given dot length.
double classDeviation(double durationMs, bool mark, double dotMs, int* classDots = nullptr);

// How badly the durations fit the classes at this dot length (the fit's
// cost, see SpeedFit).
double fitCost(const std::vector<double>& marksMs, const std::vector<double>& gapsMs, double dotMs);

// A fit needs this many marks, unless fewer are asked for.
inline constexpr std::size_t fewestFitMarks = 4;

// Fits the dot length from these starting lengths (when empty: a spread from
// the fastest to 5 wpm), no shorter than the fastest. Needs at least
// fewestMarks marks, else gives an invalid fit; so do durations that point to
// a dot beyond either end. Marks may be taken longer than their classes, and
// gaps shorter, by up to mostWeightDots of a dot (either way): a sender's
// weighting, or a filter's smear at the thresholds.
SpeedFit fitDotLength(const std::vector<double>& marksMs, const std::vector<double>& gapsMs,
                      const std::vector<double>& startDotsMs = {}, double fastestMs = fastestDotMs,
                      std::size_t fewestMarks = fewestFitMarks, double mostWeightDots = 0.0);

}  // namespace ditdahl::automatic
