// Mixes the audio down at the followed tone and keeps the oscillator on the
// carrier itself. The tone search places it to within a few hertz, from a
// spectrum averaged over seconds; a carrier that wanders by a few hertz a
// second is then off by more than the likelihood decision's phase, taken
// over four dots, can bear. Every 100 ms the phase turned between sums over
// 40 ms, 20 ms apart, is taken over the last half second, the weighted
// median (weights: the sums' amplitudes, so that the marks count and the
// gaps hardly; the median, so that a chirp at each key-down does not pull
// it), and the oscillator moves towards it as far as the turns agree, never
// further than 10 Hz from the search's tone, and not while the followed tone
// is away (its pauses, a deep fade) or the turns point well beyond that
// (another station). Runs on whichever thread feeds the automatic receiver.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

#include "automatic/Envelope.h"

namespace ditdahl::automatic {

class TrackingDownmixer {
public:
    // Starts afresh at the search's tone.
    void start(double toneHz);
    // The search's tone now, and whether it stands out (see ToneSearch): the
    // oscillator stays within 10 Hz of it, and does not move while it does
    // not stand out (a neighbour would pull it).
    void follow(double toneHz, bool stands);
    // Mixes the samples down; every completed 4 ms step adds one sum to steps.
    void push(const double* samples, std::size_t count, std::vector<std::complex<double>>& steps);
    double oscillatorHz() const { return mixerHz_; }

private:
    struct Turn {
        double radians = 0.0;
        double weight = 0.0;
        std::complex<double> turn{};  // weight along radians
    };
    void take(std::complex<double> step);
    void retune();
    // Where the turns tell nothing of the followed carrier: back towards the
    // search's tone by a share of the way.
    void returnTowardsSearch();
    void tuneTo(double hz);

    Downmixer mixer_;
    double searchHz_ = 0.0;
    double mixerHz_ = 0.0;
    double offsetHz_ = 0.0;  // of the oscillator from the search's tone
    bool stands_ = true;
    std::vector<std::complex<double>> previous_;  // the last 40 ms of steps, a ring
    std::vector<std::complex<double>> sums_;      // the sums over 40 ms of the last 20 ms, a ring
    double heaviest_ = 0.0;                       // the most the turns have weighed lately
    std::size_t taken_ = 0;
    std::vector<Turn> turns_;  // the last half second's, a ring
    std::size_t next_ = 0;
    int sinceRetune_ = 0;
    std::vector<Turn> sorted_;
};

}  // namespace ditdahl::automatic
