#include "automatic/SpeedFit.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {
namespace {
constexpr int markClasses[] = {1, 3};
constexpr int gapClasses[] = {1, 3, 7};
// Deviations beyond this count as this much: glitches and long pauses must
// not pull the fit.
constexpr double outlierDeviation = 0.6;
constexpr double settleRatio = 1e-6;

struct Pass {
    double dotMs;
    double cost;
    double weightMs;
};

// One pass of the fit at dotMs, each mark taken weightMs shorter and each gap
// that much longer; renews the weighting too, within mostWeightDots of a dot
// either way, from the marks and gaps of one dot.
Pass onePass(const std::vector<double>& marks, const std::vector<double>& gaps, double dotMs,
             double fastestMs = fastestDotMs, double weightMs = 0.0, double mostWeightDots = 0.0) {
    double logSum = 0.0;
    int inliers = 0;
    double cost = 0.0;
    double offsetSum = 0.0;
    int ones = 0;
    auto take = [&](double d, bool mark) {
        const double unweighted = std::max(mark ? d - weightMs : d + weightMs, 1e-3);
        int c = 1;
        const double dev = classDeviation(unweighted, mark, dotMs, &c);
        if (std::abs(dev) < outlierDeviation) {
            logSum += std::log(unweighted / c);
            ++inliers;
            cost += dev * dev;
            if (c == 1) {
                offsetSum += mark ? d - dotMs : dotMs - d;
                ++ones;
            }
        } else {
            cost += outlierDeviation * outlierDeviation;
        }
    };
    for (double m : marks) take(m, true);
    for (double g : gaps) take(g, false);
    const int total = static_cast<int>(marks.size() + gaps.size());
    const double next = inliers ? std::exp(logSum / inliers) : dotMs;
    const double most = mostWeightDots * dotMs;
    const double weight = ones ? std::clamp(offsetSum / ones, -most, most) : 0.0;
    return {std::clamp(next, fastestMs, slowestDotMs), total ? cost / total : 0.0, weight};
}
// A fit must see both dots and dashes among the marks, or a run of one kind
// could pass for the other at three times or a third of the speed; marks of
// one kind tell only with gaps both within and between letters ("IS",
// "OM"): the same run read as the other kind puts those gaps a third or
// three times as long, outside one of the classes.
bool tellsDotsFromDashes(const std::vector<double>& marks, const std::vector<double>& gaps, double dotMs,
                         double weightMs) {
    int dots = 0, dashes = 0;
    for (double m : marks) {
        int c = 1;
        if (std::abs(classDeviation(m - weightMs, true, dotMs, &c)) < outlierDeviation) (c == 1 ? dots : dashes) += 1;
    }
    if (dots > 0 && dashes > 0) return true;
    int within = 0, between = 0;
    for (double g : gaps) {
        int c = 1;
        if (std::abs(classDeviation(g + weightMs, false, dotMs, &c)) < outlierDeviation)
            (c == 1 ? within : between) += 1;
    }
    return dots + dashes > 0 && within > 0 && between > 0;
}
}  // namespace

double fitCost(const std::vector<double>& marksMs, const std::vector<double>& gapsMs, double dotMs) {
    return onePass(marksMs, gapsMs, dotMs).cost;
}

double classDeviation(double durationMs, bool mark, double dotMs, int* classDots) {
    const double units = std::log(std::max(durationMs, 1e-3) / dotMs);
    double best = 0.0;
    int bestClass = 0;
    auto consider = [&](int c) {
        const double dev = units - std::log(static_cast<double>(c));
        if (bestClass == 0 || std::abs(dev) < std::abs(best)) {
            best = dev;
            bestClass = c;
        }
    };
    if (mark) {
        for (int c : markClasses) consider(c);
    } else {
        for (int c : gapClasses) consider(c);
    }
    if (classDots) *classDots = bestClass;
    return best;
}

SpeedFit fitDotLength(const std::vector<double>& marksMs, const std::vector<double>& gapsMs,
                      const std::vector<double>& startDotsMs, double fastestMs, std::size_t fewestMarks,
                      double mostWeightDots) {
    if (marksMs.size() < fewestMarks) return {};
    std::vector<double> starts = startDotsMs;
    if (starts.empty())
        for (double d = fastestMs; d <= slowestDotMs; d *= 1.15) starts.push_back(d);
    SpeedFit best;
    for (double start : starts) {
        double dot = std::clamp(start, fastestMs, slowestDotMs);
        double weight = 0.0;
        for (int round = 0; round < 30; ++round) {
            const Pass next = onePass(marksMs, gapsMs, dot, fastestMs, weight, mostWeightDots);
            const bool settled = std::abs(next.dotMs - dot) <= settleRatio * dot &&
                                 std::abs(next.weightMs - weight) <= settleRatio * dot;
            dot = next.dotMs;
            weight = next.weightMs;
            if (settled) break;
        }
        // Held at the slowest or fastest speed, the durations point beyond
        // it: they are not Morse at a speed within the range.
        if (dot <= fastestMs || dot >= slowestDotMs) continue;
        const Pass final = onePass(marksMs, gapsMs, dot, fastestMs, weight, mostWeightDots);
        if (!tellsDotsFromDashes(marksMs, gapsMs, dot, weight)) continue;
        if (!best.valid() || final.cost < best.cost) best = {dot, final.cost, weight};
    }
    return best;
}

}  // namespace ditdahl::automatic
