#include "automatic/KeyEdges.h"

namespace ditdahl::automatic {
namespace {
// Where the line from (s0, v0) to (s1, v1) crosses the level.
double crossing(double s0, double v0, double s1, double v1, double level) {
    if (v1 == v0) return s1;
    const double f = (level - v0) / (v1 - v0);
    return s0 + (f < 0.0 ? 0.0 : f > 1.0 ? 1.0 : f) * (s1 - s0);
}
}  // namespace

void KeyEdges::reset(double step) {
    down_ = false;
    runStart_ = step;
    changing_ = false;
    haveLast_ = false;
}

void KeyEdges::setThresholds(double onDb, double offDb) {
    onDb_ = onDb;
    offDb_ = offDb;
}

void KeyEdges::push(double step, double db, std::vector<KeyRun>& finished) {
    // The state the envelope asks for now, with hysteresis around the
    // state in force (or the one waiting to be confirmed).
    const bool proposed = changing_ ? !down_ : down_;
    const bool wants = proposed ? db > offDb_ : db >= onDb_;
    if (wants != proposed) {
        if (changing_) {
            changing_ = false;  // a glitch: the change did not last
        } else {
            changing_ = true;
            const double level = down_ ? offDb_ : onDb_;
            changeAt_ = haveLast_ ? crossing(lastStep_, lastDb_, step, db, level) : step;
        }
    }
    if (changing_ && step - changeAt_ >= minimumSteps_) {
        finished.push_back({down_, runStart_, changeAt_});
        down_ = !down_;
        runStart_ = changeAt_;
        changing_ = false;
    }
    haveLast_ = true;
    lastStep_ = step;
    lastDb_ = db;
}

}  // namespace ditdahl::automatic
