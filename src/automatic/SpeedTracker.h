// Follows the sender's speed from the judged durations: each one that fits
// its class well pulls the dot length by a small part of its deviation, and
// every so many durations the recent ones are fitted afresh; a change of
// speed by a third or more is taken within a few characters. Runs on
// whichever thread feeds the automatic receiver.
#pragma once

#include <vector>

namespace ditdahl::automatic {

class SpeedTracker {
public:
    // Starts from this dot length with no durations seen.
    void reset(double dotMs);
    void track(double lengthMs, bool mark);
    double dotMs() const { return dotMs_; }

private:
    void followChange();

    double dotMs_ = 60.0;
    std::vector<double> recentMarks_;
    std::vector<double> recentGaps_;
    int sinceRefit_ = 0;
    int sinceCheck_ = 0;
};

}  // namespace ditdahl::automatic
