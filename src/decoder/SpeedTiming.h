// The receive timing: dot and dash lengths derived from a speed in words per
// minute, taken either from the sending speed or from an estimate over
// recently received marks.
#pragma once

#include "station/StationState.h"

namespace ditdahl {

// One dot lasts 1200 / wpm ms (integer division); a dash three dots.
constexpr int dotMsForSpeed(int wpm) { return 1200 / wpm; }
inline constexpr int maxEstimatedWpm = 30;

// The receive speed becomes the sending speed; the Dot, Dash and RX Speed
// boxes show the new timing. A sending speed below 1 wpm has no timing and
// changes nothing. Window thread, or wherever a logging program's speed is
// taken (the keying server's thread, a job's).
void applyTxSpeedToReceive(StationState& state);

// Estimates the sender's speed from markHistory (geometric mean of the speeds
// that the short and the long marks give, at most 30 wpm) and makes it the
// receive speed. Leaves everything as it is when the history cannot tell dots
// from dashes. Capture thread.
void estimateSpeed(StationState& state);

}  // namespace ditdahl
