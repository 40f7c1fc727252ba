#include "automatic/SpeedTracker.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "automatic/SpeedFit.h"

namespace ditdahl::automatic {
namespace {
constexpr double trackWeight = 0.05;
constexpr double trackDeviation = 0.25;
constexpr std::size_t refitCount = 48;

void keepLast(std::vector<double>& values, double v) {
    values.push_back(v);
    if (values.size() > refitCount) values.erase(values.begin());
}
}  // namespace

void SpeedTracker::reset(double dotMs) {
    dotMs_ = dotMs;
    recentMarks_.clear();
    recentGaps_.clear();
    sinceRefit_ = 0;
}

void SpeedTracker::track(double lengthMs, bool mark) {
    const double dev = classDeviation(lengthMs, mark, dotMs_);
    if (std::abs(dev) < trackDeviation) dotMs_ *= std::exp(trackWeight * dev);
    keepLast(mark ? recentMarks_ : recentGaps_, lengthMs);
    if (++sinceRefit_ >= static_cast<int>(refitCount)) {
        sinceRefit_ = 0;
        const SpeedFit fit = fitDotLength(recentMarks_, recentGaps_, {dotMs_});
        if (fit.valid()) dotMs_ = fit.dotMs;
    }
    dotMs_ = std::clamp(dotMs_, fastestDotMs, slowestDotMs);
}

}  // namespace ditdahl::automatic
