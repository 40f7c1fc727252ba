#include "band/SignalTracker.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::band {
namespace {
constexpr double lowestHz = 200.0;
constexpr double highestHz = 1600.0;
// A new signal stands this far over the floor (a keyed carrier at -3 dB in
// 2500 Hz stands about 15 dB; averaged noise never 8), is the highest
// within 3 bins and stands 3 dB over the bins 4 away.
constexpr double appearDb = 8.0;
constexpr int peakBins = 3;
constexpr int sideBins = 4;
constexpr double sidesDb = 3.0;
constexpr int appearHops = 6;  // half a second
// A followed signal is there while it stands this far over the floor.
constexpr double standDb = 5.0;
constexpr int followBins = 2;
constexpr double followWeight = 0.2;
constexpr double apartHz = 30.0;
// Two tracks that drift this close follow one signal: the younger goes.
constexpr double crowdedHz = 20.0;
// Sending now: the last half second's spectrum at the peak stands this far
// over the floor and 3 dB over the bins 4 away, within the last second.
constexpr double heardDb = 6.0;
constexpr int standingHops = 12;
constexpr int quietHops = 117;  // 10 s
// The level of the marks: the ninth tenth of the peak's power over the
// last 2 s of single spectra.
constexpr std::size_t levelHops = 24;
constexpr double levelShare = 0.9;
constexpr double tiny = 1e-30;

double overDb(double power, double floor) { return 10.0 * std::log10((power + tiny) / (floor + tiny)); }

double fromDb(double db) { return std::pow(10.0, db / 10.0); }

// Compared as power ratios: it is asked of every bin of every spectrum.
bool qualifies(const BandSpectrum& s, int bin) {
    static const double appear = fromDb(appearDb);
    static const double sides = fromDb(sidesDb);
    const double p = s.averaged(bin);
    if (p < appear * s.floor(bin)) return false;
    for (int d = 1; d <= peakBins; ++d)
        if (s.averaged(bin - d) >= p || s.averaged(bin + d) > p) return false;
    return p >= sides * std::max(s.averaged(bin - sideBins), s.averaged(bin + sideBins));
}
}  // namespace

bool SignalTracker::stands(const Track& track) const { return hops_ - track.lastHeardHop < standingHops; }

void SignalTracker::update(const BandSpectrum& spectrum) {
    ++hops_;
    std::erase_if(tracks_, [](const Track& t) { return t.ended; });
    for (Track& track : tracks_) follow(track, spectrum);
    endCrowded();
    lookForNew(spectrum);
}

void SignalTracker::follow(Track& track, const BandSpectrum& spectrum) {
    const int centre = BandSpectrum::binOf(track.toneHz);
    int best = centre;
    for (int bin = centre - followBins; bin <= centre + followBins; ++bin)
        if (spectrum.averaged(bin) > spectrum.averaged(best)) best = bin;
    measureLevel(track, spectrum, best);
    // Only a peak of its own moves the track: while the followed station
    // is silent, the highest bin near it may be a neighbour's skirt, which
    // would draw the track over to the neighbour.
    bool peak = best > centre - followBins && best < centre + followBins;
    for (int d = followBins + 1; peak && d <= peakBins + 1; ++d)
        peak = spectrum.averaged(best - d) < spectrum.averaged(best) &&
               spectrum.averaged(best + d) < spectrum.averaged(best);
    if (peak && overDb(spectrum.averaged(best), spectrum.floor(best)) >= standDb) {
        track.lastStoodHop = hops_;
        track.toneHz += followWeight * (spectrum.refinedHz(best) - track.toneHz);
    }
    if (hops_ - track.lastStoodHop >= quietHops) track.ended = true;
}

void SignalTracker::measureLevel(Track& track, const BandSpectrum& spectrum, int bin) const {
    // A tone between two bins shows in both.
    const double power = std::max({spectrum.latest(bin - 1), spectrum.latest(bin), spectrum.latest(bin + 1)});
    if (track.recent.size() < levelHops) {
        track.recent.push_back(power);
    } else {
        track.recent[track.nextRecent] = power;
        track.nextRecent = (track.nextRecent + 1) % levelHops;
    }
    // A neighbour's skirt may lift the bin over the floor; it does not make
    // a peak of it.
    const double lately = spectrum.lately(bin);
    const double sides = std::max(spectrum.lately(bin - sideBins), spectrum.lately(bin + sideBins));
    bool peak = true;
    for (int d = 1; peak && d <= peakBins; ++d)
        peak = spectrum.lately(bin - d) < lately && spectrum.lately(bin + d) < lately;
    if (peak && overDb(lately, spectrum.floor(bin)) >= heardDb && overDb(lately, sides) >= sidesDb)
        track.lastHeardHop = hops_;
    std::vector<double> sorted = track.recent;
    const auto nth = sorted.begin() + static_cast<std::ptrdiff_t>(levelShare * (sorted.size() - 1));
    std::nth_element(sorted.begin(), nth, sorted.end());
    const double noise = spectrum.floor(bin);
    track.noiseBinPower = noise;
    track.snrDb = overDb(std::max(*nth - noise, tiny), noise) - BandSpectrum::binTo2500HzDb;
}

void SignalTracker::endCrowded() {
    for (std::size_t i = 0; i < tracks_.size(); ++i)
        for (std::size_t j = i + 1; j < tracks_.size(); ++j)
            if (!tracks_[i].ended && std::abs(tracks_[i].toneHz - tracks_[j].toneHz) < crowdedHz)
                tracks_[j].ended = true;
}

bool SignalTracker::nearTrack(double hz) const {
    return std::any_of(tracks_.begin(), tracks_.end(),
                       [hz](const Track& t) { return !t.ended && std::abs(t.toneHz - hz) < apartHz; });
}

void SignalTracker::lookForNew(const BandSpectrum& spectrum) {
    seen_.clear();
    const int first = BandSpectrum::binOf(lowestHz);
    const int last = BandSpectrum::binOf(highestHz);
    for (int bin = first; bin <= last; ++bin) {
        if (!qualifies(spectrum, bin) || nearTrack(bin * BandSpectrum::binHz)) continue;
        Candidate c{bin, 1, hops_};
        // The same peak as a spectrum ago, perhaps moved by a bin.
        for (const Candidate& before : candidates_) {
            if (std::abs(before.bin - bin) <= 1) c = {bin, before.hops + 1, before.firstHop};
        }
        if (c.hops < appearHops || tracks_.size() >= mostTracks_) {
            seen_.push_back(c);
            continue;
        }
        Track track;
        track.id = nextId_++;
        track.toneHz = spectrum.refinedHz(bin);
        track.firstHop = c.firstHop;
        track.lastStoodHop = track.lastHeardHop = hops_;
        measureLevel(track, spectrum, bin);
        tracks_.push_back(std::move(track));
    }
    std::swap(candidates_, seen_);
}

}  // namespace ditdahl::band
