// The sender's speed from the audio buffered when the tone was locked: the
// threshold decision is run over the buffered steps at several dot lengths,
// each refitted with the filter matched to what it found, and the best fit of
// the durations to the Morse classes wins; half and twice that speed are
// then tried with the likelihood decision, which takes the faster of two
// that fit about as well. Runs on whichever thread feeds the automatic
// receiver.
#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <vector>

#include "automatic/LikelihoodEdges.h"

namespace ditdahl::automatic {

// Mark and gap durations in ms (gaps before the first mark left out).
struct Durations {
    std::vector<double> marks;
    std::vector<double> gaps;
};

struct SpeedChoice {
    double dotMs = 0.0;
    // The durations found at that speed, for the quality gate to judge at
    // once (none when the speed was only assumed).
    Durations found;
    // Where the carrier's phase is taken from at that speed.
    LikelihoodEdges::PhaseReference phase = LikelihoodEdges::PhaseReference::around;
};

// The runs that the threshold decision finds in buffered 4 ms steps at a
// given dot length (leading and trailing gaps left out).
Durations durationsAt(const std::vector<std::complex<double>>& steps, double dotMs);

// A speed found on the buffered audio is trusted once it holds this many
// marks.
constexpr std::size_t trustedMarks = 8;

// The speed the buffered 4 ms steps show; none while they hold fewer than
// fewestMarks marks or fit them too poorly, unless mustChoose (then the
// hint's speed, or a default, when nothing fits). speedHintWpm: tried
// first; 0 for none.
std::optional<SpeedChoice> searchSpeed(const std::vector<std::complex<double>>& steps, double speedHintWpm,
                                       bool mustChoose, std::size_t fewestMarks = trustedMarks);

}  // namespace ditdahl::automatic
