// The loudest the followed tone has lately been along its phase: the largest
// dot-long mean of the steps' amplitudes along the carrier's phase over a
// window of recent steps. Fading moves a station's level by 20 dB within
// seconds; the marks' level taken over 6 s stays at the fade's peak, while
// this one follows it down into a trough without waiting for marks to be
// decided there. Taken along the phase, a neighbour's skirt and noise off
// the tone hardly move it. Runs on whichever thread feeds the automatic
// receiver.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace ditdahl::automatic {

class EnvelopePeak {
public:
    // The mean's length (a dot) and the window's, in steps.
    void setLengths(int meanSteps, int windowSteps);
    void clear();
    // Adds one step's amplitude along the phase; returns the peak over the
    // window that ends with it.
    double push(double along);

private:
    std::vector<double> recent_;  // the last meanSteps values, a ring
    std::size_t next_ = 0;
    int windowSteps_ = 1;
    std::int64_t count_ = 0;
    // Candidates for the window's peak, oldest first, each larger than all
    // after it.
    std::deque<std::pair<std::int64_t, double>> peaks_;
};

}  // namespace ditdahl::automatic
