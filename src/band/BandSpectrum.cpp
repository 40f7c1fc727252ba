#include "band/BandSpectrum.h"

#include <algorithm>
#include <cmath>

#include "base/Fft.h"
#include "base/Windows.h"

namespace ditdahl::band {
namespace {
// About a second of spectra weigh in the average: long enough to see a
// keyed signal's carrier through its gaps, short enough to see it come.
constexpr int averagedHops = 12;
constexpr int latelyHops = 6;
// The floor is measured over bins this far either side of every segment's
// middle, as the share of them that lies lowest: most of a busy band is
// still noise, a crowded stretch of it not.
constexpr int segmentBins = 16;
constexpr int floorSpanBins = 48;
constexpr double floorShare = 0.2;
// The lowest fifth of averaged noise lies this far below its mean.
constexpr double floorToMean = 1.25;
// The average moves slowly: the floor is measured again every other hop.
constexpr int floorEveryHops = 2;
// Signals are looked for up to 1600 Hz; the floor is needed a little above.
constexpr double floorUpToHz = 1800.0;
constexpr double tiny = 1e-30;
}  // namespace

BandSpectrum::BandSpectrum()
    : fftPlan_(fftSize),
      window_(hannWindow(fftSize)),
      input_(fftSize, 0.0),
      windowed_(fftSize),
      real_(fftSize),
      imaginary_(fftSize),
      latest_(bins, 0.0),
      average_(bins, 0.0),
      lately_(bins, 0.0),
      floor_(bins, 0.0) {}

bool BandSpectrum::push(const double* samples, std::size_t count) {
    const std::size_t n = std::min(count, samplesToHop());
    std::copy(samples, samples + n, input_.begin() + (fftSize - hopSamples + pending_));
    pending_ += static_cast<int>(n);
    if (pending_ < hopSamples) return false;
    analyse();
    std::copy(input_.begin() + hopSamples, input_.end(), input_.begin());
    pending_ = 0;
    return true;
}

void BandSpectrum::analyse() {
    for (int i = 0; i < fftSize; ++i) windowed_[i] = input_[i] * window_[i];
    fftPlan_.transform(windowed_.data(), real_.data(), imaginary_.data());
    ++analysed_;
    // A plain mean until the average is full, then an exponential one.
    const double weight = 1.0 / std::min(analysed_, averagedHops);
    const double lateWeight = 1.0 / std::min(analysed_, latelyHops);
    for (std::size_t k = 0; k < latest_.size(); ++k) {
        latest_[k] = real_[k] * real_[k] + imaginary_[k] * imaginary_[k];
        average_[k] += weight * (latest_[k] - average_[k]);
        lately_[k] += lateWeight * (latest_[k] - lately_[k]);
    }
    if (analysed_ % floorEveryHops == 1) estimateFloor();
}

void BandSpectrum::estimateFloor() {
    // Measured at every segment's middle, in between by straight lines.
    std::vector<double> middles;
    std::vector<int> at;
    const int top = std::min(bins, binOf(floorUpToHz));
    for (int middle = segmentBins / 2; middle < top; middle += segmentBins) {
        const int first = std::max(1, middle - floorSpanBins);
        const int last = std::min(bins - 1, middle + floorSpanBins);
        scratch_.assign(average_.begin() + first, average_.begin() + last + 1);
        const auto nth = scratch_.begin() + static_cast<std::ptrdiff_t>(floorShare * scratch_.size());
        std::nth_element(scratch_.begin(), nth, scratch_.end());
        middles.push_back(floorToMean * *nth + tiny);
        at.push_back(middle);
    }
    for (int k = 0; k < top; ++k) {
        const auto upper = std::upper_bound(at.begin(), at.end(), k) - at.begin();
        if (upper == 0) {
            floor_[k] = middles.front();
        } else if (upper == static_cast<std::ptrdiff_t>(at.size())) {
            floor_[k] = middles.back();
        } else {
            const auto u = static_cast<std::size_t>(upper);
            const double share = static_cast<double>(k - at[u - 1]) / segmentBins;
            floor_[k] = middles[u - 1] + share * (middles[u] - middles[u - 1]);
        }
    }
}

double BandSpectrum::refinedHz(int bin) const {
    bin = std::clamp(bin, 1, bins - 2);
    // A parabola through the log powers of the peak and its two neighbours.
    const double a = std::log(averaged(bin - 1) + tiny);
    const double b = std::log(averaged(bin) + tiny);
    const double c = std::log(averaged(bin + 1) + tiny);
    const double curvature = a - 2.0 * b + c;
    const double offset = curvature < 0.0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
    return (bin + offset) * binHz;
}

}  // namespace ditdahl::band
