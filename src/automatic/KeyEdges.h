// The key decision on the envelope: hysteresis between two thresholds, edge
// times interpolated between 4 ms steps, and a glitch filter that holds a
// change back until the new state has lasted a minimum time, so that a short
// flicker neither ends a mark nor starts one. Produces finished runs. Runs on
// whichever thread feeds the automatic receiver.
#pragma once

#include <vector>

namespace ditdahl::automatic {

// A finished run of one key state; times in 4 ms steps.
struct KeyRun {
    bool mark = false;
    double start = 0.0;
    double end = 0.0;
    // For a mark of the likelihood decision: how much likelier its steps
    // are under the tone than under noise (natural log), and its mean
    // amplitude along the carrier's phase over the level it was decided at
    // (about 1 for a mark of the signal, less for noise that passed for one).
    double evidence = 0.0;
    double strength = 0.0;
    // How much of a mark's power stays in phase over 20 ms spans: about 1
    // for a tone on the mixer, as little as a tenth for one 40 Hz or more
    // off it (a neighbour seen through the filter's skirt), a fifth for
    // noise. Marks of other decisions count as coherent.
    double coherence = 1.0;
    // The mark level it was decided at (amplitude along the carrier per
    // step; 0 where unknown): two marks decided at different levels, as
    // when the level is learnt anew for a new station, compare by their
    // strengths times their levels.
    double level = 0.0;
    double length() const { return end - start; }
};

class KeyEdges {
public:
    // Back to key up at the given step, with nothing pending.
    void reset(double step);
    void setThresholds(double onDb, double offDb);
    // Changes shorter than this many steps are glitches.
    void setMinimumSteps(double steps) { minimumSteps_ = steps; }

    // One envelope value in dB at the given step; appends each run that it
    // confirms as finished.
    void push(double step, double db, std::vector<KeyRun>& finished);

    bool keyDown() const { return down_; }
    // Where the current (unfinished) run started.
    double runStart() const { return runStart_; }

private:
    double onDb_ = 0.0;
    double offDb_ = 0.0;
    double minimumSteps_ = 2.0;
    bool down_ = false;
    double runStart_ = 0.0;
    bool changing_ = false;  // a change is waiting to be confirmed
    double changeAt_ = 0.0;  // its interpolated time
    bool haveLast_ = false;
    double lastStep_ = 0.0;
    double lastDb_ = 0.0;
};

}  // namespace ditdahl::automatic
