#include "band/SignalLevel.h"

#include <algorithm>
#include <cmath>

#include "automatic/Envelope.h"
#include "automatic/ReceiverTiming.h"
#include "band/BandSpectrum.h"

namespace ditdahl::band {
namespace {
constexpr std::size_t keptSums = 1000;  // 4 s of steps
constexpr std::size_t fewestSums = 500;
// Marks fill the top of the sums, though only dashes fill a whole sum.
constexpr double markShare = 0.98;
// A tone of peak A gives each step (A / 2) stepSamples; noise of deviation
// s gives each step s^2 stepSamples, each bin of the shared spectrum
// s^2 * 3/8 * fftSize (the Hann window's squares); the tone's power A^2 / 2
// over the noise's in 2500 Hz of the 3000 Hz the samples hold is the SNR.
constexpr double stepPerAmplitude = automatic::stepSamples / 2.0;
constexpr double binPerNoisePower = 3.0 / 8.0 * BandSpectrum::fftSize;
constexpr double noiseIn2500Hz = 2500.0 / (captureFramesPerSecond / 2.0);
constexpr double tiny = 1e-30;
}  // namespace

SignalLevel::SignalLevel() : dot_(static_cast<std::size_t>(automatic::stepsForDot(60.0))) {}

void SignalLevel::setDotMs(double dotMs) {
    const auto steps = static_cast<std::size_t>(automatic::stepsForDot(dotMs));
    if (steps == dot_.size()) return;
    dot_.assign(steps, {});
    nextDot_ = 0;
}

void SignalLevel::push(std::complex<double> step) {
    dot_[nextDot_] = step;
    nextDot_ = (nextDot_ + 1) % dot_.size();
    std::complex<double> sum{};
    for (const auto& z : dot_) sum += z;
    const auto n = static_cast<double>(dot_.size());
    const double perStep = std::norm(sum) / (n * n);
    if (powers_.size() < keptSums) {
        powers_.push_back(perStep);
    } else {
        powers_[nextPower_] = perStep;
        nextPower_ = (nextPower_ + 1) % keptSums;
    }
}

bool SignalLevel::known() const { return powers_.size() >= fewestSums; }

double SignalLevel::snrDb(double noiseBinPower) const {
    sorted_ = powers_;
    const auto nth = sorted_.begin() + static_cast<std::ptrdiff_t>(markShare * static_cast<double>(sorted_.size() - 1));
    std::nth_element(sorted_.begin(), nth, sorted_.end());
    const double noisePower = noiseBinPower / binPerNoisePower;
    // The noise's own share of a dot-long sum, per step.
    const double noiseInSum = noisePower * automatic::stepSamples / static_cast<double>(dot_.size());
    const double amplitude = std::sqrt(std::max(*nth - noiseInSum, tiny)) / stepPerAmplitude;
    return 10.0 * std::log10(amplitude * amplitude / 2.0 / (noisePower * noiseIn2500Hz + tiny));
}

}  // namespace ditdahl::band
