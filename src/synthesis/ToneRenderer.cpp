#include "synthesis/ToneRenderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/Windows.h"
#include "synthesis/Oscillator.h"

namespace ditdahl::synthesis {

namespace {

// The keying envelope, 0 to 1. Where a fall runs into the next rise (short
// gaps, slow edges) the louder of the two wins, as a keyer's shaping
// network would not let the carrier dip below either.
std::vector<double> envelope(const std::vector<KeyInterval>& marks, std::size_t n, const ToneShape& shape) {
    std::vector<double> gain(n, 0.0);
    const double rate = shape.sampleRate;
    const double rise = std::max(shape.riseMs, 1e-3) / 1000.0;
    const double fall = std::max(shape.fallMs, 1e-3) / 1000.0;
    for (const KeyInterval& k : marks) {
        const auto first = static_cast<std::size_t>(std::max(0.0, std::floor(k.start * rate)));
        const auto last = std::min(n, static_cast<std::size_t>(std::ceil((k.end + fall) * rate)));
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double g = t < k.end ? raisedCosine((t - k.start) / rise) : 1.0 - raisedCosine((t - k.end) / fall);
            gain[i] = std::max(gain[i], std::min(g, raisedCosine((t - k.start) / rise)));
        }
    }
    return gain;
}

}  // namespace

std::vector<double> renderKeyed(const std::vector<KeyInterval>& marks, double totalSeconds, const ToneShape& shape,
                                NoiseGenerator& random) {
    const auto n = static_cast<std::size_t>(std::ceil(std::max(0.0, totalSeconds) * shape.sampleRate));
    std::vector<double> out = envelope(marks, n, shape);
    Oscillator carrier(shape.sampleRate);
    // An exponential return: e^-3 is the 5 % the settling time is counted to.
    const double chirpRate = 3.0 / (std::max(shape.chirpSettleMs, 1e-3) / 1000.0);
    std::size_t next = 0;       // the next key-down
    double sinceKeyDown = 1e9;  // s; long ago before the first
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / shape.sampleRate;
        if (next < marks.size() && t >= marks[next].start) {
            sinceKeyDown = t - marks[next].start;
            ++next;
            if (shape.phaseJumps) carrier.shiftPhase(2.0 * std::numbers::pi * random.uniform());
        }
        const double wander =
            0.5 * shape.wanderHz * std::sin(shape.wanderPhase + 2.0 * std::numbers::pi * t / shape.wanderPeriodSeconds);
        const double hz = shape.toneHz + shape.driftHzPerMinute * t / 60.0 + wander +
                          shape.chirpHz * std::exp(-chirpRate * sinceKeyDown);
        out[i] *= shape.amplitude * carrier.next(hz);
        sinceKeyDown += 1.0 / shape.sampleRate;
    }
    return out;
}

}  // namespace ditdahl::synthesis
