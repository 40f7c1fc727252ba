#include "automatic/Envelope.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {
namespace {
constexpr double pi = 3.14159265358979323846;

std::complex<double> times(std::complex<double> a, std::complex<double> b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}
}  // namespace

void Downmixer::setTone(double toneHz, int sampleRate) {
    if (toneHz == toneHz_) return;
    toneHz_ = toneHz;
    const double step = -2.0 * pi * toneHz / sampleRate;
    rotation_ = {std::cos(step), std::sin(step)};
}

void Downmixer::push(const double* samples, std::size_t count, std::vector<std::complex<double>>& steps) {
    for (std::size_t i = 0; i < count; ++i) {
        sum_ += samples[i] * phasor_;
        phasor_ = times(phasor_, rotation_);
        if (++filled_ == stepSamples) {
            steps.push_back(sum_);
            sum_ = {0.0, 0.0};
            filled_ = 0;
            // Rounding would slowly change the oscillator's amplitude.
            phasor_ /= std::sqrt(std::norm(phasor_));
        }
    }
}

void MatchedFilter::setLength(int steps) {
    const std::size_t length = static_cast<std::size_t>(steps < 1 ? 1 : steps);
    std::vector<std::complex<double>> resized(length);
    const std::size_t kept = std::min(length, ring_.size());
    // Oldest first: the ring's oldest entry is the one written next.
    for (std::size_t i = 0; i < kept; ++i)
        resized[length - kept + i] = ring_[(next_ + ring_.size() - kept + i) % ring_.size()];
    ring_ = std::move(resized);
    next_ = 0;
}

void MatchedFilter::clear() {
    std::fill(ring_.begin(), ring_.end(), std::complex<double>{});
    next_ = 0;
}

double MatchedFilter::push(std::complex<double> step) {
    ring_[next_] = step;
    next_ = (next_ + 1) % ring_.size();
    // A direct sum (at most a few dozen steps every 4 ms) never drifts, as a
    // running sum would.
    std::complex<double> sum{};
    for (const auto& s : ring_) sum += s;
    return std::norm(sum);
}

}  // namespace ditdahl::automatic
