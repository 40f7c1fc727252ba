// A channel's signal-to-noise ratio: the tone's level from the channel's own
// filtered steps (the power of a dot-long coherent sum near the top of the
// last 4 s, inside the dashes), the noise's from the shared spectrum's floor
// at the tone. The shared spectrum alone cannot tell the tone's level: its
// 170 ms window seldom lies wholly inside a mark. Neither can the steps tell
// the noise's: the filters smear the marks into the gaps between them. Runs
// on the thread that feeds the band decoder.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace ditdahl::band {

class SignalLevel {
public:
    SignalLevel();
    // The sender's dot, in ms.
    void setDotMs(double dotMs);
    void push(std::complex<double> step);
    // Whether 2 s of steps have been measured.
    bool known() const;
    // The tone over the noise in 2500 Hz, in dB, given the shared
    // spectrum's noise floor at the tone (the power of noise alone in one
    // of its bins).
    double snrDb(double noiseBinPower) const;

private:
    std::vector<std::complex<double>> dot_;  // the last dot's steps, a ring
    std::size_t nextDot_ = 0;
    std::vector<double> powers_;  // of the sums over the last 4 s, per step, a ring
    std::size_t nextPower_ = 0;
    mutable std::vector<double> sorted_;
};

}  // namespace ditdahl::band
