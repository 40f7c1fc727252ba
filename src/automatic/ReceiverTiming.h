// Timing rules that the automatic receiver's speed search and its decoding
// share, in dots of the sender's speed.
#pragma once

#include <algorithm>
#include <cmath>

#include "automatic/Envelope.h"

namespace ditdahl::automatic {

// A gap this many dots long ends the word without waiting for the next mark.
inline constexpr double pauseDots = 9.0;
// The threshold decision ignores key changes shorter than this part of a dot.
inline constexpr double glitchDots = 0.3;
// The likelihood decision holds a segment's end back this many dots; while
// decoding, no less than this long: three dots of a fast sender leave too
// little of what follows to tell a weak dot from noise (the speed search
// keeps three dots, the lag its fits are weighed at).
inline constexpr double likelihoodLagDots = 3.0;
inline constexpr double decodingLagLeastMs = 200.0;

// The dot length in whole 4 ms steps, at least one.
inline int stepsForDot(double dotMs) { return std::max(1, static_cast<int>(std::lround(dotMs / stepMs))); }

inline int likelihoodLagSteps(double dotMs) {
    return static_cast<int>(std::lround(likelihoodLagDots * dotMs / stepMs));
}

inline int decodingLagSteps(double dotMs) {
    return static_cast<int>(std::lround(std::max(likelihoodLagDots * dotMs, decodingLagLeastMs) / stepMs));
}

}  // namespace ditdahl::automatic
