#include "band/StepLowpass.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::band {
namespace {
constexpr double pi = 3.14159265358979323846;
constexpr double stepRate = 250.0;
// Where the response has fallen to a half; with a Blackman window of 61
// taps the band it falls over is 25 Hz wide. At the widest it passes to
// 15 Hz and stops from 40 Hz; narrower, it reaches to 0.9 of the dot rate,
// which leaves the keying's main lobe, and never below 12 Hz, which would
// stretch the edges.
constexpr double widestHz = 27.5;
constexpr double narrowestHz = 12.0;
constexpr double dotRates = 0.9;
// The filter is redesigned only for a change of a hertz or more.
constexpr double redesignHz = 1.0;
constexpr int delay = (StepLowpass::taps - 1) / 2;
}  // namespace

void StepLowpass::setDotMs(double dotMs) {
    const double cutoffHz = dotMs > 0.0 ? std::clamp(dotRates * 1000.0 / dotMs, narrowestHz, widestHz) : widestHz;
    if (std::abs(cutoffHz - cutoffHz_) < redesignHz) return;
    cutoffHz_ = cutoffHz;
    double sum = 0.0;
    for (int i = 0; i < taps; ++i) {
        const double t = i - delay;
        const double x = 2.0 * cutoffHz / stepRate;
        const double sinc = t == 0 ? x : std::sin(pi * x * t) / (pi * t);
        const double phase = 2.0 * pi * i / (taps - 1);
        const double blackman = 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase);
        coefficients_[static_cast<std::size_t>(i)] = sinc * blackman;
        sum += sinc * blackman;
    }
    for (double& c : coefficients_) c /= sum;
}

void StepLowpass::push(std::complex<double> step, std::vector<std::complex<double>>& out) {
    ring_[next_] = step;
    next_ = (next_ + 1) % taps;
    if (++taken_ <= delay) return;
    // The ring's oldest step is the one written next; the coefficients are
    // symmetric, so their order does not matter.
    std::complex<double> sum{};
    for (std::size_t i = 0; i < ring_.size(); ++i) sum += coefficients_[i] * ring_[(next_ + i) % taps];
    out.push_back(sum);
}

void StepLowpass::flush(std::vector<std::complex<double>>& out) {
    const int held = std::min(taken_, delay);
    for (int i = 0; i < held; ++i) push({}, out);
    taken_ = 0;
}

}  // namespace ditdahl::band
