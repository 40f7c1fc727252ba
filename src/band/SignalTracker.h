// Finds every Morse signal between 200 and 1600 Hz in the shared spectrum and
// follows it. A signal is a narrow peak that stands over the noise floor and
// over the bins 23 Hz either side (a keyed carrier does; the broad skirts
// that keying puts beside a strong signal do not); once such a peak has
// stood for half a second, 30 Hz or more from every signal followed, it is
// followed as a track: within 12 Hz per spectrum, so a drifting carrier
// stays one track, until it has been quiet for 10 s. Whether it is sending
// now is told by the last half second of spectra alone: the average lags
// the end of a transmission by seconds. Runs on the thread that
// feeds the band decoder.
#pragma once

#include <cstddef>
#include <vector>

#include "band/BandSpectrum.h"

namespace ditdahl::band {

struct Track {
    int id = 0;
    double toneHz = 0.0;
    double snrDb = 0.0;
    double noiseBinPower = 0.0;  // the spectrum's floor at the tone
    int firstHop = 0;            // the spectrum where it first stood out
    int lastStoodHop = 0;        // the last where the averaged spectrum showed it
    int lastHeardHop = 0;        // the last where the last half second's spectra did
    bool ended = false;
    std::vector<double> recent;  // the last hops' power at the peak, a ring
    std::size_t nextRecent = 0;
};

class SignalTracker {
public:
    explicit SignalTracker(std::size_t mostTracks) : mostTracks_(mostTracks) {}

    // Takes the spectrum of the next hop: tracks appear, move and end.
    void update(const BandSpectrum& spectrum);
    // Every track followed, the ended ones of this hop included (they are
    // dropped at the next update).
    const std::vector<Track>& tracks() const { return tracks_; }
    // Whether the track has stood out lately: what is decoded while it has
    // not may be something else.
    bool stands(const Track& track) const;
    int hops() const { return hops_; }

private:
    struct Candidate {
        int bin = 0;
        int hops = 0;
        int firstHop = 0;
    };
    void follow(Track& track, const BandSpectrum& spectrum);
    void measureLevel(Track& track, const BandSpectrum& spectrum, int bin) const;
    void endCrowded();
    void lookForNew(const BandSpectrum& spectrum);
    bool nearTrack(double hz) const;

    std::size_t mostTracks_;
    std::vector<Track> tracks_;
    std::vector<Candidate> candidates_;
    std::vector<Candidate> seen_;
    int hops_ = 0;
    int nextId_ = 1;
};

}  // namespace ditdahl::band
