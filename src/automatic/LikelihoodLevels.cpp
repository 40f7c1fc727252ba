#include "automatic/LikelihoodLevels.h"

#include <cmath>

namespace ditdahl::automatic {
namespace {
// Noise power at least 30 dB under a mark's in one step (about 20 dB in
// 2500 Hz).
constexpr double cleanestStepRatio = 1e-3;
}  // namespace

void applyLikelihoodLevels(const Levels& levels, int filterSteps, LikelihoodEdges& likelihood) {
    if (!levels.usable()) {
        likelihood.setLevels(0.0, 1.0);
        return;
    }
    const double length = filterSteps;
    const double noise = std::pow(10.0, levels.noiseDb() / 10.0) / (std::log(2.0) * length);
    const double mark = std::pow(10.0, levels.markDb() / 10.0) - length * noise;
    const double amplitude = mark > 0.0 ? std::sqrt(mark) / length : 0.0;
    // On a clean recording the noise is the rounding's alone, and a
    // neighbour's key clicks or the skirt of a mark would stand far over it.
    // No receiver's audio is cleaner than this anyway.
    likelihood.setLevels(amplitude, std::max(noise, amplitude * amplitude * cleanestStepRatio));
}

}  // namespace ditdahl::automatic
