#include "automatic/ToneSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Fft.h"
#include "base/Windows.h"

namespace ditdahl::automatic {
namespace {
constexpr double binHz = static_cast<double>(ToneSearch::sampleRate) / ToneSearch::fftSize;
// The average spans 2 s of spectra.
constexpr std::size_t averagedSpectra = 2 * ToneSearch::sampleRate / ToneSearch::hopSamples;
constexpr double lowestHz = 200.0;
constexpr double highestHz = 1600.0;
// Stations 60 Hz from the hint are others; the hint itself may be off by
// half the 50 Hz bar grid it is chosen on.
constexpr double hintSpanHz = 50.0;
constexpr double lockStandDb = 6.0;
// A tone is narrow: it also stands over the bins 47 Hz away, which the hump
// of noise through a narrow receiver filter does not. A side where a steady
// carrier or another station stands is not the tone's own: the other side
// is taken.
constexpr double lockSidesDb = 3.0;
// Another station 3 to 10 dB louder than the tone (in power).
constexpr double otherStationOverLeast = 2.0;
constexpr double otherStationOverMost = 10.0;
constexpr int sideBins = 4;
constexpr int neighbourFirst = 5;  // about 60 Hz
constexpr int neighbourLast = 20;  // about 230 Hz
constexpr int lockHops = 12;       // half a second
// A young average is too rough to tell a tone from noise.
constexpr int warmUpHops = 24;
constexpr double followHz = 20.0;
constexpr double fadedDb = 3.0;
constexpr int fadedHops = 70;  // 3 s
constexpr double followWeight = 0.1;
// Stations take turns a few tens of hertz apart: when, over the last second,
// another peak within 120 Hz (but 23 Hz or more away) stands 10 dB over the
// followed tone and qualifies as a tone, for half a second on end, the
// search moves to it.
constexpr std::size_t recentSpectra = 24;
constexpr double moveSpanHz = 120.0;
constexpr int moveApartBins = 1;
constexpr double moveOverDb = 10.0;
constexpr int moveHops = 12;
// Without a hint the strongest station is the one to copy: a peak within
// 200 Hz whose marks stand 3 dB over the followed tone's for a second on end
// is moved to, though the followed station still sends. Less would swap
// between two stations of about the same strength as they fade. The marks'
// power is the top tenth of the last 2 s of spectra: their average would
// weigh a densely keyed station up, and the top fifth a station sending
// short words down (over 2 s that hold two of its word gaps it may be keyed
// down less than a fifth of the time).
constexpr double strongerSpanHz = 200.0;
constexpr double markShare = 0.9;
constexpr double strongerDb = 3.0;
constexpr int strongerHops = 24;
// A stronger station this far from the followed tone or farther sends
// beside it (a neighbour); a closer one's skirt covers the followed tone.
constexpr double besideApartHz = 60.0;
// A keyed tone falls to the noise between letters and words, so the
// quietest tenth of the last 2 s lies far under its mean there; a carrier
// (a birdie, a station tuning up) stays near its mean, and carries no text
// however well it stands over the noise.
constexpr double quietShare = 0.1;
constexpr double keyedBelow = 0.3;
// What is taken out of the decoded audio must be surely a carrier: hardly
// dipping at all (the skirt of a keyed station, or its keying's sidebands
// through a fade, dip less than its centre, but still dip).
constexpr double steadyAbove = 0.6;
// Steady carriers near the followed tone are reported for the decoder to
// take out: within this span, this far apart from the tone, standing this
// far over the noise (a weaker one hardly matters), this many at most.
constexpr double carrierSpanHz = 250.0;
constexpr double carrierApartHz = 30.0;
constexpr double carrierStandDb = 15.0;
constexpr std::size_t mostCarriers = 4;
// A carrier stays for seconds: looking for them every few hops (a quarter of
// a second) is soon enough and spares most of the search's cost.
constexpr int carrierHops = 6;
constexpr double tiny = 1e-30;

// A bin's figure from this hop's cache (NaN where not yet asked for).
template <typename Measure>
double oncePerHop(std::vector<double>& cache, int bin, Measure measure) {
    double& known = cache[static_cast<std::size_t>(bin)];
    if (std::isnan(known)) known = measure();
    return known;
}
}  // namespace

ToneSearch::ToneSearch()
    : fftPlan_(fftSize),
      window_(hannWindow(fftSize)),
      input_(fftSize, 0.0),
      windowed_(fftSize),
      real_(fftSize),
      imaginary_(fftSize),
      average_(fftSize / 2 + 1, 0.0),
      sum_(fftSize / 2 + 1, 0.0),
      recent_(averagedSpectra, std::vector<double>(fftSize / 2 + 1, 0.0)) {}

void ToneSearch::setHint(double toneHz) { hintHz_ = toneHz > 0.0 ? toneHz : 0.0; }

bool ToneSearch::push(const double* samples, std::size_t count) {
    bool changed = false;
    for (std::size_t i = 0; i < count; ++i) {
        // input_ is a sliding window; shifting once per hop keeps this cheap.
        input_[fftSize - hopSamples + pending_] = samples[i];
        ++consumed_;
        if (++pending_ == hopSamples) {
            changed = analyse() || changed;
            std::copy(input_.begin() + hopSamples, input_.end(), input_.begin());
            pending_ = 0;
        }
    }
    return changed;
}

bool ToneSearch::analyse() {
    for (int i = 0; i < fftSize; ++i) windowed_[i] = input_[i] * window_[i];
    fftPlan_.transform(windowed_.data(), real_.data(), imaginary_.data());
    ++analysed_;
    std::vector<double>& slot = recent_[nextRecent_];
    for (int k = 0; k <= fftSize / 2; ++k) {
        const double re = real_[k];
        const double im = imaginary_[k];
        const double power = re * re + im * im;
        sum_[k] += power - slot[k];
        slot[k] = power;
    }
    nextRecent_ = (nextRecent_ + 1) % averagedSpectra;
    if (nextRecent_ == 0) {
        // Once per turn of the ring the sum is taken afresh, so that
        // rounding never builds up.
        std::fill(sum_.begin(), sum_.end(), 0.0);
        for (const auto& spectrum : recent_)
            for (int k = 0; k <= fftSize / 2; ++k) sum_[k] += spectrum[k];
    }
    // A plain mean of the spectra held (fewer than the full ring at first).
    const double held =
        static_cast<double>(std::min<std::size_t>(static_cast<std::size_t>(analysed_), averagedSpectra));
    for (int k = 0; k <= fftSize / 2; ++k) average_[k] = std::max(0.0, sum_[k]) / held;
    std::fill(standCache_.begin(), standCache_.end(), std::numeric_limits<double>::quiet_NaN());
    std::fill(quietCache_.begin(), quietCache_.end(), std::numeric_limits<double>::quiet_NaN());
    if (locked_) return followLock();
    return analysed_ >= warmUpHops && searchForLock();
}

double ToneSearch::standOverNeighbourhoodDb(int bin) const {
    return oncePerHop(standCache_, bin, [&] { return measureStandDb(bin); });
}

template <typename Power>
double ToneSearch::neighbourhoodMedian(int bin, Power power) const {
    std::vector<double>& values = scratch_;
    values.clear();
    for (int d = neighbourFirst; d <= neighbourLast; ++d) {
        if (bin - d >= 1) values.push_back(power(bin - d));
        if (bin + d < fftSize / 2) values.push_back(power(bin + d));
    }
    if (values.empty()) return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double ToneSearch::measureStandDb(int bin) const {
    const double around = neighbourhoodMedian(bin, [&](int b) { return average_[b]; });
    return 10.0 * std::log10((average_[bin] + tiny) / (around + tiny));
}

double ToneSearch::standOverSidesDb(int bin) const {
    const int lowBin = std::max(1, bin - sideBins);
    const int highBin = std::min(fftSize / 2, bin + sideBins);
    const bool lowOther = otherSignalAround(lowBin, average_[bin]);
    const bool highOther = otherSignalAround(highBin, average_[bin]);
    double side = std::max(average_[lowBin], average_[highBin]);
    if (lowOther != highOther) side = lowOther ? average_[highBin] : average_[lowBin];
    return 10.0 * std::log10((average_[bin] + tiny) / (side + tiny));
}

bool ToneSearch::otherSignalAround(int bin, double tonePower) const {
    for (int b = std::max(2, bin - 2); b <= std::min(fftSize / 2 - 2, bin + 2); ++b) {
        if (average_[b] <= average_[b - 1] || average_[b] < average_[b + 1]) continue;
        if (standOverNeighbourhoodDb(b) >= carrierStandDb && !keyed(b)) return true;
        // A keyed station clearly louder than the tone, but no more than a
        // neighbour gets: not another peak of the same hump, nor the main
        // lobe of a signal on whose skirt the tone would stand.
        if (keyed(b) && standOverNeighbourhoodDb(b) >= lockStandDb && average_[b] > otherStationOverLeast * tonePower &&
            average_[b] < otherStationOverMost * tonePower)
            return true;
    }
    return false;
}

double ToneSearch::refinedHz(int bin) const {
    // A parabola through the log powers of the peak and its two neighbours.
    const double a = std::log(average_[bin - 1] + tiny);
    const double b = std::log(average_[bin] + tiny);
    const double c = std::log(average_[bin + 1] + tiny);
    const double curvature = a - 2.0 * b + c;
    double offset = curvature < 0.0 ? 0.5 * (a - c) / curvature : 0.0;
    offset = std::clamp(offset, -0.5, 0.5);
    return (bin + offset) * binHz;
}

bool ToneSearch::qualifies(int bin) const {
    return average_[bin] > average_[bin - 1] && average_[bin] >= average_[bin + 1] &&
           standOverNeighbourhoodDb(bin) >= lockStandDb && standOverSidesDb(bin) >= lockSidesDb && keyed(bin);
}

double ToneSearch::quietShareOfMean(int bin) const {
    return oncePerHop(quietCache_, bin, [&] { return measureQuietShare(bin); });
}

double ToneSearch::measureQuietShare(int bin) const {
    if (average_[bin] <= 0.0) return 0.0;
    return recentQuantile(bin, quietShare) / average_[bin];
}

double ToneSearch::recentQuantile(int bin, double share) const {
    const auto held = std::min<std::size_t>(static_cast<std::size_t>(analysed_), averagedSpectra);
    std::vector<double>& values = scratch_;
    values.clear();
    for (std::size_t k = 0; k < held; ++k) values.push_back(recent_[k][static_cast<std::size_t>(bin)]);
    if (values.empty()) return 0.0;
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size()));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

bool ToneSearch::keyed(int bin) const { return quietShareOfMean(bin) < keyedBelow; }

bool ToneSearch::steady(int bin) const { return quietShareOfMean(bin) >= steadyAbove; }

bool ToneSearch::searchForLock() {
    double low = lowestHz;
    double high = highestHz;
    if (hintHz_ > 0.0) {
        low = std::max(low, hintHz_ - hintSpanHz);
        high = std::min(high, hintHz_ + hintSpanHz);
    }
    int best = -1;
    double bestStand = 0.0;
    // A hint far off the band leaves nothing to search; its bounds must not
    // become bins, which no int holds for a hint of 1e300 Hz.
    const int firstBin = low <= high ? static_cast<int>(std::ceil(low / binHz)) : 1;
    const int lastBin = low <= high ? static_cast<int>(high / binHz) : 0;
    for (int bin = firstBin; bin <= lastBin; ++bin) {
        if (!qualifies(bin)) continue;
        const double stand = standOverNeighbourhoodDb(bin);
        // The operator chose the station nearest the hint, whatever stronger
        // one sends beside it.
        const bool nearer =
            hintHz_ > 0.0 && best >= 0 && std::abs(bin * binHz - hintHz_) < std::abs(best * binHz - hintHz_);
        const bool further = hintHz_ > 0.0 && best >= 0 && !nearer;
        if (best < 0 || nearer || (!further && stand > bestStand)) {
            best = bin;
            bestStand = stand;
        }
    }
    if (best < 0) {
        candidateBin_ = -1;
        candidateHops_ = 0;
        return false;
    }
    candidateHops_ = (candidateBin_ >= 0 && std::abs(best - candidateBin_) <= 1) ? candidateHops_ + 1 : 1;
    candidateBin_ = best;
    if (candidateHops_ < lockHops) return false;
    locked_ = true;
    tookStronger_ = false;
    toneHz_ = refinedHz(best);
    findCarriers();
    standDb_ = bestStand;
    fadedHops_ = 0;
    strongerHops_ = 0;
    strongerBin_ = -1;
    candidateBin_ = -1;
    candidateHops_ = 0;
    return true;
}

bool ToneSearch::followLock() {
    const int first = std::max(2, static_cast<int>(std::ceil((toneHz_ - followHz) / binHz)));
    const int last = std::min(fftSize / 2 - 2, static_cast<int>((toneHz_ + followHz) / binHz));
    int best = first;
    for (int bin = first; bin <= last; ++bin)
        if (average_[bin] > average_[best]) best = bin;
    standDb_ = standOverNeighbourhoodDb(best);
    if (best > first && best < last) toneHz_ += followWeight * (refinedHz(best) - toneHz_);
    fadedHops_ = standDb_ <= fadedDb ? fadedHops_ + 1 : 0;
    if (fadedHops_ >= fadedHops) {
        locked_ = false;
        fadedHops_ = 0;
        carriersHz_.clear();
        return true;
    }
    if (++carrierHop_ >= carrierHops) findCarriers();
    return moveToAnother();
}

void ToneSearch::findCarriers() {
    carrierHop_ = 0;
    carriersHz_.clear();
    const int first = std::max(2, static_cast<int>(std::ceil((toneHz_ - carrierSpanHz) / binHz)));
    const int last = std::min(fftSize / 2 - 2, static_cast<int>((toneHz_ + carrierSpanHz) / binHz));
    for (int bin = first; bin <= last && carriersHz_.size() < mostCarriers; ++bin) {
        if (average_[bin] <= average_[bin - 1] || average_[bin] < average_[bin + 1]) continue;
        // Most peaks are noise's: the stand, worked out once a hop anyway,
        // rules them out before the finer tests.
        if (standOverNeighbourhoodDb(bin) < carrierStandDb) continue;
        const double hz = refinedHz(bin);
        if (std::abs(hz - toneHz_) < carrierApartHz || !steady(bin)) continue;
        carriersHz_.push_back(hz);
    }
}

bool ToneSearch::moveToAnother() {
    const int toneBin = static_cast<int>(std::lround(toneHz_ / binHz));
    double low = toneHz_ - moveSpanHz;
    double high = toneHz_ + moveSpanHz;
    if (hintHz_ > 0.0) {
        low = std::max(low, hintHz_ - hintSpanHz);
        high = std::min(high, hintHz_ + hintSpanHz);
    }
    const int first = std::max(2, static_cast<int>(std::ceil(low / binHz)));
    const int last = std::min(fftSize / 2 - 2, static_cast<int>(high / binHz));
    double followed = 0.0;
    for (int bin = std::max(first, toneBin - 1); bin <= std::min(last, toneBin + 1); ++bin)
        followed = std::max(followed, recentPower(bin));
    int best = -1;
    double bestPower = 0.0;
    for (int bin = first; bin <= last; ++bin) {
        if (std::abs(bin - toneBin) <= moveApartBins) continue;
        const double power = recentPower(bin);
        if (power > bestPower && qualifies(bin)) {
            best = bin;
            bestPower = power;
        }
    }
    const bool louder = best >= 0 && 10.0 * std::log10((bestPower + tiny) / (followed + tiny)) >= moveOverDb;
    movingHops_ = louder && (movingBin_ < 0 || std::abs(best - movingBin_) <= 1) ? movingHops_ + 1 : 0;
    movingBin_ = louder ? best : -1;
    if (movingHops_ >= moveHops) return moveTo(best, false);
    const int stronger = hintHz_ > 0.0 ? -1 : strongerStation(toneBin);
    strongerHops_ =
        stronger >= 0 && (strongerBin_ < 0 || std::abs(stronger - strongerBin_) <= 1) ? strongerHops_ + 1 : 0;
    strongerBin_ = stronger;
    if (strongerHops_ >= strongerHops) {
        // Closer than a neighbour, the stronger station's skirt covers the
        // followed tone: whether that one still sends cannot be told.
        const bool apart = std::abs(refinedHz(stronger) - toneHz_) >= besideApartHz;
        return moveTo(stronger, apart && stillSends(toneBin, followed));
    }
    return false;
}

double ToneSearch::recentPower(int bin) const {
    double sum = 0.0;
    for (std::size_t k = 1; k <= recentSpectra; ++k)
        sum += recent_[(nextRecent_ + averagedSpectra - k) % averagedSpectra][static_cast<std::size_t>(bin)];
    return sum;
}

bool ToneSearch::stillSends(int toneBin, double followed) const {
    // The tone stands over the noise of its neighbourhood over the last
    // second, as a tone must to be locked.
    const double around = neighbourhoodMedian(toneBin, [&](int b) { return recentPower(b); });
    return 10.0 * std::log10((followed + tiny) / (around + tiny)) >= lockStandDb;
}

int ToneSearch::strongerStation(int toneBin) const {
    const int first = std::max(2, static_cast<int>(std::ceil((toneHz_ - strongerSpanHz) / binHz)));
    const int last = std::min(fftSize / 2 - 2, static_cast<int>((toneHz_ + strongerSpanHz) / binHz));
    double followed = 0.0;
    for (int bin = std::max(first, toneBin - 1); bin <= std::min(last, toneBin + 1); ++bin)
        followed = std::max(followed, markLevel(bin));
    int best = -1;
    double bestLevel = 0.0;
    for (int bin = first; bin <= last; ++bin) {
        if (std::abs(bin - toneBin) <= moveApartBins || !qualifies(bin)) continue;
        const double level = markLevel(bin);
        if (best < 0 || level > bestLevel) {
            best = bin;
            bestLevel = level;
        }
    }
    if (best < 0 || 10.0 * std::log10((bestLevel + tiny) / (followed + tiny)) < strongerDb) return -1;
    return best;
}

double ToneSearch::markLevel(int bin) const { return recentQuantile(bin, markShare); }

bool ToneSearch::moveTo(int best, bool stronger) {
    toneHz_ = refinedHz(best);
    tookStronger_ = stronger;
    standDb_ = standOverNeighbourhoodDb(best);
    movingHops_ = 0;
    movingBin_ = -1;
    strongerHops_ = 0;
    strongerBin_ = -1;
    findCarriers();
    return true;
}

}  // namespace ditdahl::automatic
