// The first, wide part of a channel's filter: two resonators in cascade on
// the audio, 100 Hz wide each, centred on the channel's tone. The mixer that
// follows sums 4 ms of audio per step, which lets a signal 230 to 270 Hz
// away fold onto the tone only 21 dB down; with the resonators it comes 48
// dB down or more. Runs on the thread that feeds the band decoder.
#pragma once

#include <cstddef>

namespace ditdahl::band {

class ToneResonators {
public:
    // Centres the resonators on the tone (their state is kept, so a moving
    // tone is followed without a click).
    void tune(double toneHz);
    // Filters the samples in place.
    void filter(double* samples, std::size_t count);

private:
    struct Stage {
        double y1 = 0.0;
        double y2 = 0.0;
    };
    double toneHz_ = -1.0;
    double gain_ = 0.0;
    double a1_ = 0.0;
    double a2_ = 0.0;
    Stage stages_[2];
};

}  // namespace ditdahl::band
