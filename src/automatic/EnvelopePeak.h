// The level the followed tone's marks have lately reached along its phase.
// Fading moves a station's level by 20 dB within seconds; the marks' level
// taken over 6 s stays at the fade's peak, while this one follows it down
// into a trough without waiting for marks to be decided there. At each step
// the smaller of the two half-dot means along the phase is taken: a mark of
// a dot or more fills both halves, while a crash of a few ms, or the flank of
// a mark, fills one. Only a top counts (a step whose value is the largest
// within half a dot either side), so that the edge of a window cutting into
// a mark does not pass for a fainter one. Taken along the phase, a
// neighbour's skirt and noise off the tone hardly move it. Runs on whichever
// thread feeds the automatic receiver.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace ditdahl::automatic {

class EnvelopePeak {
public:
    // The length of a mark's mean (a dot) and of the window, in steps.
    void setLengths(int meanSteps, int windowSteps);
    void clear();
    // Through a fade the level may have fallen since a mark: the level is
    // taken as seen from the step this many steps before the newest, each
    // top before that step weighed down by its distance from it (the
    // natural log of its value less perStep a step); the tops after it
    // count in full. Without this, every top in the window counts in full.
    void setFade(double perStep, int backSteps);
    // Adds one step's amplitude along the phase; returns the largest top in
    // the window that ends half a dot before it (a top is known only once
    // the half dot after it is in), weighed as above.
    double push(double along);
    // The second largest top in the same window (0 without two): a level
    // that a lone crash cannot set, since another mark must reach it too.
    double confirmed() const { return second_; }

private:
    std::vector<double> recent_;  // the last meanSteps values, a ring
    std::size_t next_ = 0;
    std::deque<double> around_;  // the last values taken, a dot and one step of them
    int windowSteps_ = 1;
    std::int64_t count_ = 0;
    // Every top in the window (one per half dot at most), oldest first.
    std::deque<std::pair<std::int64_t, double>> tops_;
    double second_ = 0.0;  // the second largest of them
    double fadePerStep_ = 0.0;
    int fadeBackSteps_ = 0;
};

}  // namespace ditdahl::automatic
