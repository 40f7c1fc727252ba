#include "automatic/Levels.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {
namespace {
// 16-bit rounding leaves noise of 1/12 per sample; a sum over n samples of
// the mixed-down audio holds n / 12 of it.
double quantisationDb(int summedSamples) { return 10.0 * std::log10(summedSamples / 12.0); }
// A mark must be a tone of at least this peak amplitude (16-bit units): far
// below any receiver's noise, far above what rounding and dither leave.
constexpr double faintestToneAmplitude = 8.0;
// Steps within this much of the rounding's floor are digital silence, far
// under any receiver's noise; a run of them this long (1.5 s, longer than a
// slow sender's word gap), or cut off by the history's end this long, is a
// muted stretch.
constexpr double silentOverFloorDb = 20.0;
constexpr std::size_t mutedSteps = 375;
constexpr std::size_t mutedCutSteps = 125;
// Marks this much louder in the last 1.5 s than over the whole history set
// the mark level at once, where followed (see followLatestMarks).
constexpr std::size_t attackSteps = 375;
constexpr double attackDb = 6.0;
}  // namespace

double Levels::toDb(double power) { return 10.0 * std::log10(power + 1e-12); }

LevelSplit splitLevels(const std::vector<double>& powersDb) {
    LevelSplit split;
    if (powersDb.empty()) return split;
    // A histogram of 0.05 dB bins with running counts and sums stands in for
    // sorting: the split runs twice a second and many times over a buffer.
    constexpr double binDb = 0.05;
    const auto [lowest, highest] = std::minmax_element(powersDb.begin(), powersDb.end());
    const double low = *lowest;
    const auto bins = static_cast<std::size_t>((*highest - low) / binDb) + 1;
    std::vector<std::size_t> count(bins + 1, 0);  // count[i]: values in bins below i
    std::vector<double> sum(bins + 1, 0.0);
    for (double v : powersDb) {
        const auto b = std::min(bins - 1, static_cast<std::size_t>((v - low) / binDb));
        ++count[b + 1];
        sum[b + 1] += v;
    }
    for (std::size_t i = 0; i < bins; ++i) {
        count[i + 1] += count[i];
        sum[i + 1] += sum[i];
    }
    const std::size_t n = count[bins];
    // The value at a rank: the mean of its bin.
    auto atRank = [&](std::size_t rank) {
        const auto j = static_cast<std::size_t>(std::upper_bound(count.begin(), count.end(), rank) - count.begin()) - 1;
        return (sum[j + 1] - sum[j]) / static_cast<double>(count[j + 1] - count[j]);
    };
    // Two classes by alternately splitting at the middle of their means and
    // renewing the means.
    double lowMean = low;
    double highMean = *highest;
    std::size_t boundary = 0;  // first bin of the upper class
    for (int round = 0; round < 30; ++round) {
        const auto next = std::min(bins, static_cast<std::size_t>((0.5 * (lowMean + highMean) - low) / binDb));
        if (next == 0 || count[next] == 0 || count[next] == n) break;
        lowMean = sum[next] / static_cast<double>(count[next]);
        highMean = (sum[bins] - sum[next]) / static_cast<double>(n - count[next]);
        if (next == boundary) break;
        boundary = next;
    }
    if (boundary == 0) {
        split.noiseDb = split.markDb = atRank(n / 2);
        return split;
    }
    // The noise level is the lower class's median. The mark class also holds
    // the filter's rising and falling edges, which its mean would follow;
    // a high quantile gives the level of a whole dot instead.
    const std::size_t lowCount = count[boundary];
    split.noiseDb = atRank(lowCount / 2);
    split.markDb = atRank(lowCount + (n - lowCount) * 4 / 5);
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

void Levels::prime(const double* powersDb, std::size_t count) {
    history_.clear();
    next_ = 0;
    const std::size_t first = count > historySteps ? count - historySteps : 0;
    for (std::size_t i = first; i < count; ++i) history_.push_back(std::max(powersDb[i], noiseFloorDb_));
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
    split_ = splitLevels(heard());
    ready_ = true;
    if (!followLatest_ || history_.size() < 2 * attackSteps) return;
    recent_.clear();
    for (std::size_t k = history_.size() - attackSteps; k < history_.size(); ++k)
        recent_.push_back(history_[(next_ + k) % history_.size()]);
    const LevelSplit recent = splitLevels(recent_);
    if (recent.markDb > split_.markDb + attackDb) split_.markDb = recent.markDb;
}

const std::vector<double>& Levels::heard() {
    // Digital silence (a sound card's dropout, a receiver muted while the
    // operator sends, a recording's padding) is no part of the noise a
    // signal comes in, and the split would make a class of it however few
    // its steps. Steps near the rounding's floor are silence: long runs of it
    // are left out; short ones are a clean recording's gaps, its noise,
    // unless they are too few for that (dropouts amid noise).
    const double silentBelow = noiseFloorDb_ + silentOverFloorDb;
    auto at = [&](std::size_t k) { return history_[(next_ + k) % history_.size()]; };
    heard_.clear();
    shortSilences_.clear();
    std::size_t silentFrom = 0;
    bool silent = false;
    auto endSilence = [&](std::size_t end) {
        // Cut off by either end of the history, a shorter run may be the
        // end of a longer one.
        const bool cut = silentFrom == 0 || end == history_.size();
        if (end - silentFrom < (cut ? mutedCutSteps : mutedSteps))
            for (std::size_t k = silentFrom; k < end; ++k) shortSilences_.push_back(at(k));
        silent = false;
    };
    for (std::size_t k = 0; k < history_.size(); ++k) {
        if (at(k) < silentBelow) {
            if (!silent) silentFrom = k;
            silent = true;
            continue;
        }
        if (silent) endSilence(k);
        heard_.push_back(at(k));
    }
    if (silent) endSilence(history_.size());
    if (shortSilences_.size() * 10 >= heard_.size() + shortSilences_.size())
        heard_.insert(heard_.end(), shortSilences_.begin(), shortSilences_.end());
    return heard_.size() >= renewSteps ? heard_ : history_;
}

double Levels::onDb() const {
    // Half the mark's amplitude keeps the measured lengths true at high
    // signal-to-noise ratios; near the noise, the middle of the two levels.
    return std::max(split_.markDb - 6.0, 0.5 * (split_.noiseDb + split_.markDb)) + 0.5;
}

double Levels::offDb() const { return onDb() - 1.0; }

}  // namespace ditdahl::automatic
