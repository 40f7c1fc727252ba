// The one spectrum the whole band shares: a Hann-windowed transform of 1024
// samples every 512 (about 5.9 Hz per bin, a new one every 85 ms), its power
// averaged over about a second (to find signals) and over the last half
// second (to tell whether they still send), and the noise floor under it. Every signal
// is found and followed in it, however many there are. Runs on the thread
// that feeds the band decoder.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "base/CaptureFormat.h"
#include "base/Fft.h"

namespace ditdahl::band {

class BandSpectrum {
public:
    static constexpr int fftSize = 1024;
    static constexpr int hopSamples = 512;
    static constexpr double binHz = static_cast<double>(captureFramesPerSecond) / fftSize;
    // A steady tone's power in its bin over the noise power in one bin,
    // less this, is its power over the noise in 2500 Hz.
    static constexpr double binTo2500HzDb = 24.5;

    BandSpectrum();

    // Takes samples up to the end of the current hop at most; returns true
    // when they completed it and a new spectrum was analysed.
    bool push(const double* samples, std::size_t count);
    std::size_t samplesToHop() const { return static_cast<std::size_t>(hopSamples - pending_); }

    // Power per bin, averaged over about a second, over the last half
    // second, and of the last hop alone.
    double averaged(int bin) const { return average_[static_cast<std::size_t>(bin)]; }
    double lately(int bin) const { return lately_[static_cast<std::size_t>(bin)]; }
    double latest(int bin) const { return latest_[static_cast<std::size_t>(bin)]; }
    // The averaged power of noise alone around the bin (up to 1800 Hz).
    double floor(int bin) const { return floor_[static_cast<std::size_t>(bin)]; }
    // The peak near the bin refined on the averaged log spectrum, in Hz.
    double refinedHz(int bin) const;
    static int binOf(double hz) { return static_cast<int>(std::lround(hz / binHz)); }
    static constexpr int bins = fftSize / 2 + 1;

private:
    void analyse();
    void estimateFloor();

    FftPlan fftPlan_;
    std::vector<double> window_;
    std::vector<double> input_;  // the last fftSize samples, oldest first
    std::vector<double> windowed_;
    std::vector<double> real_;
    std::vector<double> imaginary_;
    std::vector<double> latest_;
    std::vector<double> average_;
    std::vector<double> lately_;
    std::vector<double> floor_;
    std::vector<double> scratch_;
    int pending_ = 0;
    int analysed_ = 0;
};

}  // namespace ditdahl::band
