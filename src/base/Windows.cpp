#include "base/Windows.h"

#include <cmath>
#include <numbers>

namespace ditdahl {

std::vector<double> hannWindow(int n) {
    std::vector<double> window(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (int i = 0; i < n; ++i) window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
    return window;
}

double raisedCosine(double progress) {
    if (progress <= 0.0) return 0.0;
    if (progress >= 1.0) return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * progress);
}

}  // namespace ditdahl
