#include "band/ToneResonators.h"

#include <cmath>
#include <complex>

#include "base/CaptureFormat.h"

namespace ditdahl::band {
namespace {
constexpr double pi = 3.14159265358979323846;
constexpr double widthHz = 100.0;
// The tone may move this far before the resonators are moved after it.
constexpr double retuneHz = 1.0;
}  // namespace

void ToneResonators::tune(double toneHz) {
    if (std::abs(toneHz - toneHz_) < retuneHz) return;
    toneHz_ = toneHz;
    constexpr double rate = captureFramesPerSecond;
    const double radius = std::exp(-pi * widthHz / rate);
    const double angle = 2.0 * pi * toneHz / rate;
    a1_ = 2.0 * radius * std::cos(angle);
    a2_ = -radius * radius;
    // Unit gain at the tone itself.
    const std::complex<double> z = std::polar(1.0, -angle);
    gain_ = std::abs(1.0 - a1_ * z - a2_ * z * z);
}

void ToneResonators::filter(double* samples, std::size_t count) {
    Stage& first = stages_[0];
    Stage& second = stages_[1];
    for (std::size_t i = 0; i < count; ++i) {
        const double y = gain_ * samples[i] + a1_ * first.y1 + a2_ * first.y2;
        first.y2 = first.y1;
        first.y1 = y;
        const double z = gain_ * y + a1_ * second.y1 + a2_ * second.y2;
        second.y2 = second.y1;
        second.y1 = z;
        samples[i] = z;
    }
}

}  // namespace ditdahl::band
