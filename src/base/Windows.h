// Window and edge shapes for spectra and keyed tones.
#pragma once

#include <vector>

namespace ditdahl {

// The periodic Hann window of n points: 0.5 - 0.5 cos(2 pi i / n).
std::vector<double> hannWindow(int n);

// A raised-cosine rise from 0 at progress 0 to 1 at progress 1 (clamped
// outside), the shape of a click-free key edge.
double raisedCosine(double progress);

}  // namespace ditdahl
