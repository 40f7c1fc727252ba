// The envelope of the followed tone: a complex oscillator mixes the audio
// down to 0 Hz and sums it over 4 ms steps (24 samples at 6000 samples/s);
// a moving coherent sum over one dot length, the filter matched to a dot,
// then gives the tone's power every 4 ms. Runs on whichever thread feeds the
// automatic receiver.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

#include "base/CaptureFormat.h"

namespace ditdahl::automatic {

inline constexpr int stepSamples = 24;
inline constexpr double stepMs = 4.0;

class Downmixer {
public:
    // Changes the oscillator's frequency without a jump in its phase.
    void setTone(double toneHz, int sampleRate = captureFramesPerSecond);
    // Mixes the samples down; every completed 4 ms step adds one sum to steps.
    void push(const double* samples, std::size_t count, std::vector<std::complex<double>>& steps);

private:
    std::complex<double> phasor_{1.0, 0.0};
    std::complex<double> rotation_{1.0, 0.0};
    double toneHz_ = 0.0;
    std::complex<double> sum_{0.0, 0.0};
    int filled_ = 0;
};

class MatchedFilter {
public:
    // The length of one dot in 4 ms steps (at least 1); the most recent
    // steps stay in the sum, so a change of speed does not break a mark.
    void setLength(int steps);
    void clear();
    // Adds one step and returns the power of the sum over the last dot.
    double push(std::complex<double> step);

private:
    std::vector<std::complex<double>> ring_{std::complex<double>{}};
    std::size_t next_ = 0;
};

}  // namespace ditdahl::automatic
