#include "band/StepLowpass.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::band {
namespace {
constexpr double pi = 3.14159265358979323846;
constexpr double stepRate = 250.0;
// Where the response has fallen to a half; with a Blackman window of 61
// taps it passes from 15 Hz to 40 Hz.
constexpr double cutoffHz = 27.5;
constexpr int delay = (StepLowpass::taps - 1) / 2;
}  // namespace

StepLowpass::StepLowpass() : coefficients_(taps), ring_(taps) {
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
