#include "automatic/LikelihoodLevels.h"

#include <cmath>

namespace ditdahl::automatic {

void applyLikelihoodLevels(const Levels& levels, int filterSteps, LikelihoodEdges& likelihood) {
    if (!levels.usable()) {
        likelihood.setLevels(0.0, 1.0);
        return;
    }
    const double length = filterSteps;
    const double noise = std::pow(10.0, levels.noiseDb() / 10.0) / (std::log(2.0) * length);
    const double mark = std::pow(10.0, levels.markDb() / 10.0) - length * noise;
    likelihood.setLevels(mark > 0.0 ? std::sqrt(mark) / length : 0.0, noise);
}

}  // namespace ditdahl::automatic
