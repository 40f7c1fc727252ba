// The likelihood decision's levels from those of the dot-long sum: its noise
// power is the steps' times the length (the noise class's median is ln 2 of
// its mean), its mark amplitude the steps' times the length. No mark is
// allowed while the levels are not usable.
#pragma once

#include "automatic/Levels.h"
#include "automatic/LikelihoodEdges.h"

namespace ditdahl::automatic {

void applyLikelihoodLevels(const Levels& levels, int filterSteps, LikelihoodEdges& likelihood);

}  // namespace ditdahl::automatic
