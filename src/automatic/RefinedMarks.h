// The marks and gaps that the quality gate judges and the speed is tracked
// from: the threshold decision's marks on the dot-long sum, their edges
// refined on the raw 4 ms steps. A mark is held until the next one (or a
// pause) bounds how far its end may be looked for. Runs on whichever thread
// feeds the automatic receiver.
#pragma once

#include <complex>
#include <cstdint>
#include <optional>
#include <vector>

#include "automatic/EdgeRefiner.h"
#include "automatic/KeyEdges.h"

namespace ditdahl::automatic {

struct JudgedDuration {
    double lengthMs = 0.0;
    bool mark = false;
};

class RefinedMarks {
public:
    // Nothing held, no steps kept.
    void clear();
    void pushStep(std::int64_t index, std::complex<double> step) { refiner_.push(index, step); }
    // A mark found on a sum of filterSteps steps: passes on the mark held
    // before it and the gap between them.
    void takeMark(const KeyRun& run, int filterSteps, std::vector<JudgedDuration>& passed);
    // The word has ended: passes on the held mark alone.
    void endWord(int filterSteps, std::vector<JudgedDuration>& passed);
    // A mark has been passed on or is held since the last end of a word.
    bool inWord() const { return sawMark_ || held_.has_value(); }

private:
    struct HeldMark {
        KeyRun raw;  // in raw steps, as the threshold decision found it
        double earliest = 0.0;
        double start = 0.0;  // refined
    };
    void passHeld(double latest, std::optional<double> nextStart, int filterSteps, std::vector<JudgedDuration>& passed);

    EdgeRefiner refiner_;
    std::optional<HeldMark> held_;
    bool sawMark_ = false;
};

}  // namespace ditdahl::automatic
