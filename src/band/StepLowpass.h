// The narrow part of a channel's filter: a linear-phase low-pass over the
// mixer's 4 ms steps (250 a second). At first flat to 15 Hz either side of
// the tone and 70 dB down from 40 Hz, so that a neighbour 50 Hz away is kept
// out while 40 wpm keying passes; once the speed is known, as narrow as the
// keying allows, so that slower signals are kept apart still closer. Delays
// nothing that counts: the first steps out belong to the first steps in.
// Runs on the thread that feeds the band decoder.
#pragma once

#include <complex>
#include <vector>

namespace ditdahl::band {

class StepLowpass {
public:
    StepLowpass() { setDotMs(0.0); }
    // Narrows the filter for keying of this dot length (0: the widest).
    void setDotMs(double dotMs);
    // Takes one step; appends the filtered step it completes, if any.
    void push(std::complex<double> step, std::vector<std::complex<double>>& out);
    // The steps still held, as if the input went on with silence.
    void flush(std::vector<std::complex<double>>& out);
    static constexpr int taps = 61;

private:
    double cutoffHz_ = 0.0;
    std::vector<double> coefficients_ = std::vector<double>(taps);
    std::vector<std::complex<double>> ring_ = std::vector<std::complex<double>>(taps);  // the last taps steps
    std::size_t next_ = 0;
    int taken_ = 0;
};

}  // namespace ditdahl::band
