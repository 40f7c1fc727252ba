#include "best/Levels.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::best {
namespace {
// 16-bit rounding leaves noise of 1/12 per sample; a sum over n samples of
// the mixed-down audio holds n / 12 of it.
double quantisationDb(int summedSamples) { return 10.0 * std::log10(summedSamples / 12.0); }
// A mark must be a tone of at least this peak amplitude (16-bit units): far
// below any receiver's noise, far above what rounding and dither leave.
constexpr double faintestToneAmplitude = 8.0;
}  // namespace

double Levels::toDb(double power) { return 10.0 * std::log10(power + 1e-12); }

LevelSplit splitLevels(const std::vector<double>& powersDb) {
    LevelSplit split;
    if (powersDb.empty()) return split;
    std::vector<double> sorted = powersDb;
    std::sort(sorted.begin(), sorted.end());
    // Two classes by alternately splitting at the middle of their means and
    // renewing the means.
    double low = sorted.front();
    double high = sorted.back();
    std::size_t boundary = 0;
    for (int round = 0; round < 30; ++round) {
        const double middle = 0.5 * (low + high);
        const std::size_t next = static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), middle) - sorted.begin());
        if (next == 0 || next == sorted.size()) break;
        double lowSum = 0.0, highSum = 0.0;
        for (std::size_t i = 0; i < next; ++i) lowSum += sorted[i];
        for (std::size_t i = next; i < sorted.size(); ++i) highSum += sorted[i];
        low = lowSum / static_cast<double>(next);
        high = highSum / static_cast<double>(sorted.size() - next);
        if (next == boundary) break;
        boundary = next;
    }
    if (boundary == 0) {
        split.noiseDb = split.markDb = sorted[sorted.size() / 2];
        return split;
    }
    // The noise level is the lower class's median. The mark class also holds
    // the filter's rising and falling edges, which its mean would follow;
    // a high quantile gives the level of a whole dot instead.
    split.noiseDb = sorted[boundary / 2];
    split.markDb = sorted[boundary + (sorted.size() - boundary) * 4 / 5];
    return split;
}

void Levels::reset(int summedSamples) {
    history_.clear();
    next_ = 0;
    sinceRenew_ = 0;
    ready_ = false;
    split_ = {};
    requiredMarkDb_ = -1e300;
    noiseFloorDb_ = quantisationDb(summedSamples);
    const double amplitudeSum = faintestToneAmplitude * summedSamples / 2.0;
    markFloorDb_ = 10.0 * std::log10(amplitudeSum * amplitudeSum);
}

void Levels::push(double power) {
    const double db = std::max(toDb(power), noiseFloorDb_);
    if (history_.size() < historySteps) {
        history_.push_back(db);
    } else {
        history_[next_] = db;
        next_ = (next_ + 1) % historySteps;
    }
    if (++sinceRenew_ >= renewSteps) renew();
}

void Levels::prime(const double* powers, std::size_t count) {
    history_.clear();
    next_ = 0;
    const std::size_t first = count > historySteps ? count - historySteps : 0;
    for (std::size_t i = first; i < count; ++i) history_.push_back(std::max(toDb(powers[i]), noiseFloorDb_));
    renew();
}

void Levels::rescale(double ratio) {
    const double toneDb = 20.0 * std::log10(ratio);
    const double noiseDb = 10.0 * std::log10(ratio);
    const double middle = 0.5 * (split_.noiseDb + split_.markDb);
    for (double& v : history_) v += v >= middle ? toneDb : noiseDb;
    noiseFloorDb_ += noiseDb;
    markFloorDb_ += toneDb;
    for (double& v : history_) v = std::max(v, noiseFloorDb_);
    renew();
}

void Levels::renew() {
    sinceRenew_ = 0;
    if (history_.size() < 2) return;
    split_ = splitLevels(history_);
    ready_ = true;
}

double Levels::onDb() const {
    // Half the mark's amplitude keeps the measured lengths true at high
    // signal-to-noise ratios; near the noise, the middle of the two levels.
    return std::max(split_.markDb - 6.0, 0.5 * (split_.noiseDb + split_.markDb)) + 0.5;
}

double Levels::offDb() const { return onDb() - 1.0; }

}  // namespace ditdahl::best
