// Finds the Morse tone in the receiver's audio and follows it: a Hann-windowed
// spectrum every 256 samples (about 12 Hz per bin, a new one every 43 ms at
// 6000 samples/s), power averaged over about 2 s; a peak between 200 and
// 1600 Hz that stands clearly and narrowly above its neighbourhood for half a
// second, and falls between letters as a keyed tone does, is locked (a steady
// carrier never is; those near the tone are reported for the decoder to take
// out), then followed within 20 Hz, and let go once it has faded
// for 3 s; another station that takes over within 120 Hz is moved to, and
// without a hint so is one within 200 Hz that is clearly stronger. Runs on
// whichever thread feeds the automatic receiver.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "base/CaptureFormat.h"
#include "base/Fft.h"

namespace ditdahl::automatic {

class ToneSearch {
public:
    static constexpr int sampleRate = captureFramesPerSecond;
    static constexpr int fftSize = 512;
    static constexpr int hopSamples = 256;

    ToneSearch();

    // Narrows the search to 50 Hz either side of the given tone; 0
    // searches the whole range.
    void setHint(double toneHz);

    // Takes samples; returns true when, during these samples, the search has
    // locked on a tone, moved to another station's or let one go (at most
    // one change per hop).
    bool push(const double* samples, std::size_t count);

    bool locked() const { return locked_; }
    // Locked, and the tone has stood over its neighbourhood within the last
    // half second: what is decoded while it does not may be another
    // station's leakage.
    bool toneStands() const { return locked_ && fadedHops_ < standingHops; }
    static constexpr int standingHops = 12;
    double toneHz() const { return toneHz_; }
    // The last change moved to a clearly stronger station while the one
    // followed still sent: both were on the air at once.
    bool tookStronger() const { return tookStronger_; }
    // While locked: steady carriers within 250 Hz of the tone, and 30 Hz or
    // more from it, that stand 15 dB over their neighbourhood (at most four).
    const std::vector<double>& carriersHz() const { return carriersHz_; }
    // Samples consumed so far.
    std::int64_t sampleCount() const { return consumed_; }

    // How far bin b stands over the median of its neighbourhood, and over the
    // bins 47 Hz either side (but one where a carrier or another station stands), in dB;
    // exposed for the averaged spectrum's tests.
    double standOverNeighbourhoodDb(int bin) const;
    double standOverSidesDb(int bin) const;
    // The peak near bin b refined on the log spectrum, in Hz.
    double refinedHz(int bin) const;

private:
    bool analyse();
    bool searchForLock();
    bool followLock();
    bool moveToAnother();
    void findCarriers();
    // Without a hint: a qualifying peak near the followed tone whose marks
    // are clearly stronger than its; -1 for none.
    int strongerStation(int toneBin) const;
    // The power of the marks at bin: the top tenth of its last 2 s.
    double markLevel(int bin) const;
    // The power at bin summed over the last second's spectra.
    double recentPower(int bin) const;
    // The followed station still sends: the power at its tone over the last
    // second (followed) stands over that of its neighbourhood.
    bool stillSends(int toneBin, double followed) const;
    // Follows the station at bin from now on; stronger: see tookStronger.
    bool moveTo(int bin, bool stronger);
    bool qualifies(int bin) const;
    double measureStandDb(int bin) const;
    // The median over the bins 60 to 230 Hz either side of bin of the power
    // given for each.
    template <typename Power>
    double neighbourhoodMedian(int bin, Power power) const;
    // The peak of a steady carrier, or of another keyed station 3 to 10 dB
    // louder than tonePower, within two bins.
    bool otherSignalAround(int bin, double tonePower) const;
    // The quietest tenth of the bin's last 2 s against its mean.
    double quietShareOfMean(int bin) const;
    double measureQuietShare(int bin) const;
    // The power at bin that the given share of its last 2 s of spectra lie
    // under.
    double recentQuantile(int bin, double share) const;
    // The bin's power drops between letters and words, as a keyed tone's does.
    bool keyed(int bin) const;
    // The bin's power hardly dips: a carrier.
    bool steady(int bin) const;

    FftPlan fftPlan_;
    std::vector<double> window_;
    std::vector<double> input_;  // the last fftSize samples, oldest first
    std::vector<double> windowed_;
    std::vector<double> real_;
    std::vector<double> imaginary_;
    std::vector<double> average_;              // power per bin, averaged over the last 2 s
    std::vector<double> sum_;                  // of the spectra in the ring
    std::vector<std::vector<double>> recent_;  // the spectra in that average, a ring
    std::size_t nextRecent_ = 0;
    mutable std::vector<double> scratch_;
    // Within one hop the spectra stay as they are: each bin's stand and quiet
    // share are worked out once (NaN until then).
    mutable std::vector<double> standCache_ =
        std::vector<double>(fftSize / 2 + 1, std::numeric_limits<double>::quiet_NaN());
    mutable std::vector<double> quietCache_ =
        std::vector<double>(fftSize / 2 + 1, std::numeric_limits<double>::quiet_NaN());
    int pending_ = 0;   // samples since the last analysis
    int analysed_ = 0;  // spectra in the average so far
    std::int64_t consumed_ = 0;
    double hintHz_ = 0.0;

    bool locked_ = false;
    double toneHz_ = 0.0;
    bool tookStronger_ = false;
    double standDb_ = 0.0;
    int candidateBin_ = -1;
    int candidateHops_ = 0;
    int fadedHops_ = 0;
    int movingBin_ = -1;  // another station's, louder than the followed tone
    int movingHops_ = 0;
    int strongerBin_ = -1;  // a stronger station's, followed without a hint
    int strongerHops_ = 0;
    std::vector<double> carriersHz_;
    int carrierHop_ = 0;  // hops since the carriers were last looked for
};

}  // namespace ditdahl::automatic
