#include "automatic/CarrierNotches.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/CaptureFormat.h"

namespace ditdahl::automatic {
namespace {
constexpr double widthHz = 10.0;
// A carrier found this close to a notch is the same one.
constexpr double sameHz = 3.0;
}  // namespace

CarrierNotches::Notch CarrierNotches::notchAt(double hz) {
    // A second-order notch (the audio cookbook's), as wide as widthHz
    // between its -3 dB points.
    const double w0 = 2.0 * std::numbers::pi * hz / captureFramesPerSecond;
    const double alpha = std::sin(w0) * widthHz / (2.0 * hz);
    Notch n;
    n.hz = hz;
    n.b0 = 1.0 / (1.0 + alpha);
    n.b1 = -2.0 * std::cos(w0) / (1.0 + alpha);
    n.a2 = (1.0 - alpha) / (1.0 + alpha);
    return n;
}

void CarrierNotches::set(const std::vector<double>& carriersHz) {
    // Called for every block: nothing is rebuilt while the carriers stay.
    const bool same = carriersHz.size() == notches_.size() &&
                      std::equal(carriersHz.begin(), carriersHz.end(), notches_.begin(),
                                 [](double hz, const Notch& n) { return std::abs(n.hz - hz) < sameHz; });
    if (same) return;
    std::vector<Notch> next;
    for (double hz : carriersHz) {
        Notch notch = notchAt(hz);
        for (const Notch& n : notches_)
            if (std::abs(n.hz - hz) < sameHz) notch = n;
        next.push_back(notch);
    }
    notches_ = std::move(next);
}

void CarrierNotches::filter(double* samples, std::size_t count) {
    for (Notch& n : notches_) {
        for (std::size_t i = 0; i < count; ++i) {
            const double x = samples[i];
            const double y = n.b0 * x + n.z1;
            n.z1 = n.b1 * x - n.b1 * y + n.z2;
            n.z2 = n.b0 * x - n.a2 * y;
            samples[i] = y;
        }
    }
}

}  // namespace ditdahl::automatic
