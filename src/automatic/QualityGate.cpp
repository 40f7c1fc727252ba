#include "automatic/QualityGate.h"

#include <algorithm>
#include <cmath>

#include "automatic/SpeedFit.h"

namespace ditdahl::automatic {
namespace {
constexpr std::size_t fewest = 8;
constexpr double capped = 0.7;
}  // namespace

void QualityGate::reset() {
    squares_.clear();
    next_ = 0;
    open_ = false;
}

void QualityGate::add(double durationMs, bool mark, double dotMs) {
    const double dev = std::min(std::abs(classDeviation(durationMs, mark, dotMs)), capped);
    if (squares_.size() < window) {
        squares_.push_back(dev * dev);
    } else {
        squares_[next_] = dev * dev;
        next_ = (next_ + 1) % window;
    }
    if (squares_.size() < fewest) {
        open_ = false;
        return;
    }
    const double d = deviation();
    if (open_ && d > limits_.closeAbove) open_ = false;
    if (!open_ && d < limits_.openBelow) open_ = true;
}

bool QualityGate::undecided() const { return squares_.size() < fewest; }

double QualityGate::deviation() const {
    if (squares_.empty()) return capped;
    double sum = 0.0;
    for (double s : squares_) sum += s;
    return std::sqrt(sum / static_cast<double>(squares_.size()));
}

}  // namespace ditdahl::automatic
