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
    // A duration of the threshold decision; true if the speed changed.
    bool track(double lengthMs, bool mark);
    // A duration the likelihood decision read. When the sender speeds up
    // by half or more, the threshold decision's filter, a dot of the old
    // speed long, fuses the new marks and sees no change; the likelihood
    // decision still parts them. True if the speed changed.
    bool decided(double lengthMs, bool mark);
    double dotMs() const { return dotMs_; }

private:
    bool followChange(std::vector<double>& marks, std::vector<double>& gaps);

    double dotMs_ = 60.0;
    std::vector<double> recentMarks_;
    std::vector<double> recentGaps_;
    std::vector<double> decidedMarks_;
    std::vector<double> decidedGaps_;
    int sinceDecidedCheck_ = 0;
    int sinceRefit_ = 0;
    int sinceCheck_ = 0;
};

}  // namespace ditdahl::automatic
