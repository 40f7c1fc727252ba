#include "synthesis/Oscillator.h"

#include <cmath>
#include <numbers>

namespace ditdahl::synthesis {

namespace {
constexpr double twoPi = 2.0 * std::numbers::pi;

double wrapped(double phase) {
    phase = std::fmod(phase, twoPi);
    return phase < 0.0 ? phase + twoPi : phase;
}
}  // namespace

Oscillator::Oscillator(int sampleRate, double phase) : radiansPerHz_(twoPi / sampleRate), phase_(wrapped(phase)) {}

double Oscillator::next(double hz) {
    const double value = std::sin(phase_);
    phase_ = wrapped(phase_ + radiansPerHz_ * hz);
    return value;
}

void Oscillator::shiftPhase(double radians) { phase_ = wrapped(phase_ + radians); }

}  // namespace ditdahl::synthesis
