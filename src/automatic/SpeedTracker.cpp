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
// Every changeCheck durations the last changeSpan marks and gaps are fitted
// from speeds well off the one followed: a sender who changes speed by half
// or more is followed within a few characters when such a fit is much
// better than the one followed.
constexpr int changeCheck = 2;
constexpr std::size_t changeSpan = 6;
constexpr double changeStarts[] = {1.0 / 1.8, 1.0 / 1.4, 1.4, 1.8};
constexpr double changeRatio = 0.15;  // natural log: about 16 %
constexpr double changeCostShare = 0.4;
constexpr double changeCostMost = 0.04;

std::vector<double> lastOf(const std::vector<double>& values, std::size_t n) {
    return {values.end() - static_cast<std::ptrdiff_t>(std::min(n, values.size())), values.end()};
}

void keepLast(std::vector<double>& values, double v) {
    values.push_back(v);
    if (values.size() > refitCount) values.erase(values.begin());
}
}  // namespace

void SpeedTracker::reset(double dotMs) {
    dotMs_ = dotMs;
    recentMarks_.clear();
    recentGaps_.clear();
    decidedMarks_.clear();
    decidedGaps_.clear();
    sinceRefit_ = 0;
    sinceCheck_ = 0;
    sinceDecidedCheck_ = 0;
}

bool SpeedTracker::decided(double lengthMs, bool mark) {
    std::vector<double>& kept = mark ? decidedMarks_ : decidedGaps_;
    kept.push_back(lengthMs);
    if (kept.size() > changeSpan) kept.erase(kept.begin());
    if (++sinceDecidedCheck_ < changeCheck) return false;
    sinceDecidedCheck_ = 0;
    if (!followChange(decidedMarks_, decidedGaps_)) return false;
    // The threshold decision's durations were of the filter's old length.
    recentMarks_.clear();
    recentGaps_.clear();
    return true;
}

bool SpeedTracker::track(double lengthMs, bool mark) {
    const double dev = classDeviation(lengthMs, mark, dotMs_);
    if (std::abs(dev) < trackDeviation) dotMs_ *= std::exp(trackWeight * dev);
    keepLast(mark ? recentMarks_ : recentGaps_, lengthMs);
    if (++sinceRefit_ >= static_cast<int>(refitCount)) {
        sinceRefit_ = 0;
        const SpeedFit fit = fitDotLength(recentMarks_, recentGaps_, {dotMs_});
        if (fit.valid()) dotMs_ = fit.dotMs;
    }
    bool changed = false;
    if (++sinceCheck_ >= changeCheck) {
        sinceCheck_ = 0;
        changed = followChange(recentMarks_, recentGaps_);
    }
    dotMs_ = std::clamp(dotMs_, fastestDotMs, slowestDotMs);
    return changed;
}

bool SpeedTracker::followChange(std::vector<double>& recentMarks, std::vector<double>& recentGaps) {
    const std::vector<double> marks = lastOf(recentMarks, changeSpan);
    const std::vector<double> gaps = lastOf(recentGaps, changeSpan);
    if (marks.size() < changeSpan / 2) return false;
    std::vector<double> starts;
    for (double ratio : changeStarts) starts.push_back(dotMs_ * ratio);
    const SpeedFit fit = fitDotLength(marks, gaps, starts);
    if (!fit.valid() || std::abs(std::log(fit.dotMs / dotMs_)) < changeRatio) return false;
    if (fit.cost > changeCostMost || fit.cost > changeCostShare * fitCost(marks, gaps, dotMs_)) return false;
    dotMs_ = std::clamp(fit.dotMs, fastestDotMs, slowestDotMs);
    recentMarks = marks;
    recentGaps = gaps;
    sinceRefit_ = 0;
    return true;
}

}  // namespace ditdahl::automatic
