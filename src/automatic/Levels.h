// Noise and mark levels of the envelope: a two-class split of its log power
// over the last 6 s, renewed every 0.5 s, with an absolute floor so that
// digital silence and the faint residue of a clean recording never count as a
// mark. Gives the thresholds of the key decision. Runs on whichever thread
// feeds the automatic receiver.
#pragma once

#include <cstddef>
#include <vector>

namespace ditdahl::automatic {

// The two classes of a set of log powers (dB): their means, found by
// alternately splitting at the middle and renewing the means.
struct LevelSplit {
    double noiseDb = 0.0;
    double markDb = 0.0;
};
LevelSplit splitLevels(const std::vector<double>& powersDb);

class Levels {
public:
    static constexpr std::size_t historySteps = 1500;  // 6 s of 4 ms steps
    static constexpr int renewSteps = 125;             // 0.5 s

    // summedSamples: how many samples one envelope value sums (which sets
    // the floor).
    void reset(int summedSamples);
    // Adds one envelope value (power, not dB); renews the split when due.
    void push(double power);
    // Renews the split now from everything held.
    void renew();
    // Replaces the history by (at most the last 6 s of) these values (dB,
    // as toDb gives them) and splits them.
    void prime(const double* powersDb, std::size_t count);
    // The envelope now sums ratio times as many steps: a tone's power grows
    // by ratio squared, noise power by ratio.
    void rescale(double ratio);

    // From now on, marks far louder in the last 1.5 s than over the whole
    // history set the mark level at once: a station back after the other's
    // over, whose leak fills the history, would else be keyed at the leak's
    // level for seconds, its marks drawn long and its gaps short on the
    // filter's slopes. The speed search, which weighs every speed on the
    // same levels, does without.
    void followLatestMarks() { followLatest_ = true; }
    // Marks weaker than this (dB) do not count either, until the next reset.
    void requireMarkAbove(double db) { requiredMarkDb_ = db; }

    bool ready() const { return ready_; }
    // True when marks stand clear of the floor: only then may the key go down.
    bool usable() const { return ready_ && split_.markDb >= markFloorDb_ && split_.markDb >= requiredMarkDb_; }
    double noiseDb() const { return split_.noiseDb; }
    double markDb() const { return split_.markDb; }
    // Key down above onDb, up below offDb.
    double onDb() const;
    double offDb() const;

    static double toDb(double power);

private:
    // The history but its muted stretches.
    const std::vector<double>& heard();

    std::vector<double> history_;
    std::vector<double> heard_;
    std::vector<double> shortSilences_;
    std::vector<double> recent_;
    std::size_t next_ = 0;
    int sinceRenew_ = 0;
    bool ready_ = false;
    bool followLatest_ = false;
    LevelSplit split_;
    double noiseFloorDb_ = 0.0;
    double markFloorDb_ = 0.0;
    double requiredMarkDb_ = -1e300;
};

}  // namespace ditdahl::automatic
