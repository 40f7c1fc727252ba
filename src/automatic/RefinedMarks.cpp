#include "automatic/RefinedMarks.h"

#include <algorithm>

#include "automatic/Envelope.h"

namespace ditdahl::automatic {

void RefinedMarks::clear() {
    refiner_.clear();
    held_.reset();
    sawMark_ = false;
}

void RefinedMarks::takeMark(const KeyRun& run, int filterSteps, std::vector<JudgedDuration>& passed) {
    // The filter's output crosses half a dot's level about half a dot after
    // the raw edge.
    const double search = 0.5 * filterSteps;
    const double delay = search - 1.0;
    KeyRun raw = run;
    raw.start -= delay;
    raw.end -= delay;
    // Gaps are measured between the refined edges of the marks around them.
    const double earliest = held_ ? 0.5 * (held_->raw.end + raw.start) : raw.start - search;
    const double start = refiner_.refine(raw.start, raw.end, search, earliest, raw.end + search).start;
    passHeld(earliest, start, filterSteps, passed);
    held_ = HeldMark{raw, earliest, start};
}

void RefinedMarks::endWord(int filterSteps, std::vector<JudgedDuration>& passed) {
    if (held_) passHeld(held_->raw.end + 0.5 * filterSteps, std::nullopt, filterSteps, passed);
    sawMark_ = false;
}

void RefinedMarks::passHeld(double latest, std::optional<double> nextStart, int filterSteps,
                            std::vector<JudgedDuration>& passed) {
    if (!held_) return;
    const HeldMark mark = *held_;
    held_.reset();
    const EdgeRefiner::Edges edges =
        refiner_.refine(mark.raw.start, mark.raw.end, 0.5 * filterSteps, mark.earliest, latest);
    const double end = std::max(edges.end, mark.start + 0.5);
    passed.push_back({(end - mark.start) * stepMs, true});
    sawMark_ = true;
    if (nextStart) passed.push_back({std::max(0.0, *nextStart - end) * stepMs, false});
}

}  // namespace ditdahl::automatic
