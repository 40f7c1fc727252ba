// A keyed carrier as transmitters really make it: rise and fall of their own
// lengths, a chirp at each key-down, a slow drift or wander, and carriers that start
// each key-down at a new phase. The oscillator runs on through the gaps, so
// a carrier that neither chirps nor jumps keeps one phase from start to end.
#pragma once

#include <vector>

#include "base/CaptureFormat.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::synthesis {

struct ToneShape {
    double toneHz = 700.0;       // at the start
    double amplitude = 10000.0;  // peak, in 16-bit sample units
    // Raised-cosine edges; a key-down interval's gain reaches one half at
    // start + riseMs / 2 and falls through one half at end + fallMs / 2.
    double riseMs = 4.0;
    double fallMs = 4.0;
    // At each key-down the tone starts chirpHz off and comes back, within
    // 5 % of that, after chirpSettleMs.
    double chirpHz = 0.0;
    double chirpSettleMs = 20.0;
    double driftHzPerMinute = 0.0;
    // A slow wander: the tone swings over wanderHz (from its lowest to its
    // highest) once every wanderPeriodSeconds, as an unsteady oscillator
    // does; at wanderPhase (radians) at the start, 0 in the middle going up.
    double wanderHz = 0.0;
    double wanderPeriodSeconds = 60.0;
    double wanderPhase = 0.0;
    bool phaseJumps = false;  // a random carrier phase at each key-down
    int sampleRate = captureFramesPerSecond;
};

// The carrier keyed by the intervals (sorted by start), totalSeconds long.
// random gives the phases at key-down when the shape asks for them.
std::vector<double> renderKeyed(const std::vector<KeyInterval>& marks, double totalSeconds, const ToneShape& shape,
                                NoiseGenerator& random);

}  // namespace ditdahl::synthesis
