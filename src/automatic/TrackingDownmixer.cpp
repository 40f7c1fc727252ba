#include "automatic/TrackingDownmixer.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {
namespace {
constexpr double pi = 3.14159265358979323846;
constexpr std::size_t turnSteps = 125;  // half a second
constexpr int retuneSteps = 25;         // 100 ms
constexpr double farthestHz = 10.0;
// A turn this far beyond is another station's (see retune).
constexpr double ignoredTurnHz = 12.0;
constexpr double stepSeconds = stepMs / 1000.0;
// The turn is taken between sums over 40 ms, 20 ms apart: over one step
// noise turns it as far, and it tells the frequency five times less well;
// summed over 40 ms, a neighbour 60 Hz away or more counts 18 dB less or
// more. It tells 25 Hz either side apart.
constexpr std::size_t sumSteps = 10;
constexpr std::size_t turnLag = 5;
// The oscillator moves only while the turns weigh at least this part of
// the most they have weighed lately (fading over this many retunings): in
// the followed station's pauses and in deep fades, what is left is noise
// and a neighbour's skirt, whose turn would pull it away.
constexpr double leastWeight = 0.1;
constexpr double weightMemory = 50.0;
// The oscillator also returns towards the search's tone by this share of the
// way every 100 ms: near the noise, where the turns agree little and move it
// little, it would otherwise wander off with them, and while it is not
// moved it would stay wherever it was, while the search goes on refining
// its tone.
constexpr double returnShare = 0.1;
}  // namespace

void TrackingDownmixer::start(double toneHz) {
    mixer_ = Downmixer{};
    searchHz_ = mixerHz_ = toneHz;
    offsetHz_ = 0.0;
    mixer_.setTone(mixerHz_);
    previous_.assign(sumSteps, {});
    sums_.assign(turnLag, {});
    taken_ = 0;
    heaviest_ = 0.0;
    turns_.clear();
    next_ = 0;
    sinceRetune_ = 0;
}

void TrackingDownmixer::follow(double toneHz, bool stands) {
    searchHz_ = toneHz;
    stands_ = stands;
    tuneTo(searchHz_ + offsetHz_);
}

void TrackingDownmixer::tuneTo(double hz) {
    if (hz == mixerHz_) return;
    // The turns already taken were measured against the old tone.
    const double shift = 2.0 * pi * (hz - mixerHz_) * turnLag * stepSeconds;
    const std::complex<double> back = std::polar(1.0, -shift);
    for (Turn& t : turns_) {
        t.radians -= shift;
        t.turn *= back;
    }
    mixerHz_ = hz;
    mixer_.setTone(mixerHz_);
}

void TrackingDownmixer::push(const double* samples, std::size_t count, std::vector<std::complex<double>>& steps) {
    // In pieces of at most a retuning's worth, so that buffered audio is
    // followed as live audio is.
    constexpr std::size_t piece = static_cast<std::size_t>(retuneSteps) * stepSamples;
    while (count > 0) {
        const std::size_t n = std::min(count, piece);
        const std::size_t first = steps.size();
        mixer_.push(samples, n, steps);
        for (std::size_t i = first; i < steps.size(); ++i) take(steps[i]);
        samples += n;
        count -= n;
    }
}

void TrackingDownmixer::take(std::complex<double> step) {
    previous_[taken_ % sumSteps] = step;
    std::complex<double> sum{};
    for (const auto& z : previous_) sum += z;
    const std::size_t slot = taken_++ % turnLag;
    const std::complex<double> turn = sum * std::conj(sums_[slot]);
    sums_[slot] = sum;
    const Turn t{std::arg(turn), std::abs(turn), turn};
    if (turns_.size() < turnSteps) {
        turns_.push_back(t);
    } else {
        turns_[next_] = t;
        next_ = (next_ + 1) % turnSteps;
    }
    if (++sinceRetune_ >= retuneSteps) retune();
}

void TrackingDownmixer::returnTowardsSearch() {
    offsetHz_ *= 1.0 - returnShare;
    tuneTo(searchHz_ + offsetHz_);
}

void TrackingDownmixer::retune() {
    sinceRetune_ = 0;
    if (turns_.size() < turnSteps) return;
    double total = 0.0;
    std::complex<double> resultant{};
    for (const Turn& t : turns_) {
        total += t.weight;
        resultant += t.turn;
    }
    heaviest_ = std::max(total, heaviest_ * std::exp(-1.0 / weightMemory));
    if (!stands_ || total <= 0.0 || total < leastWeight * heaviest_) {
        returnTowardsSearch();
        return;
    }
    sorted_ = turns_;
    std::sort(sorted_.begin(), sorted_.end(), [](const Turn& a, const Turn& b) { return a.radians < b.radians; });
    double below = 0.0;
    double median = 0.0;
    for (const Turn& t : sorted_) {
        below += t.weight;
        if (below >= 0.5 * total) {
            median = t.radians;
            break;
        }
    }
    // How far the turns agree: near 1 on a steady carrier, near 0 on noise.
    const double agreement = std::abs(resultant) / total;
    const double turnHz = median / (2.0 * pi * turnLag * stepSeconds);
    // A turn well beyond the oscillator's reach is another station's: a
    // neighbour's leak, heard alone before the followed station's over,
    // would pull the oscillator to the end of its reach, and the station's
    // first dots, mixed 10 Hz off, would turn half round within a dot. A
    // neighbour 40 or 60 Hz away turns as a carrier 10 Hz off does, and
    // still pulls it.
    if (std::abs(turnHz) > ignoredTurnHz) {
        returnTowardsSearch();
        return;
    }
    offsetHz_ = std::clamp((1.0 - returnShare) * offsetHz_ + agreement * agreement * agreement * turnHz, -farthestHz,
                           farthestHz);
    tuneTo(searchHz_ + offsetHz_);
}

}  // namespace ditdahl::automatic
