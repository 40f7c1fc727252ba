// Sending one character as Morse on the keying line: the line named by
// pttOnDtr is raised for each dot and dash and released between them, with all
// timing taken from txSpeedWpm at the moment each duration is needed. Runs on
// the thread that sends (a transmission job, or a tool rendering audio).
#pragma once

#include "station/StationState.h"
#include "transmit/SendingPace.h"

namespace ditdahl {

// Durations at a sending speed, in whole milliseconds. A speed below 1 wpm
// (none is chosen yet) is sent at the slowest offered speed, 10 wpm.
struct KeyTiming {
    int dotMs;
    int dashMs;          // three truncated dots
    int characterEndMs;  // the whole part of 0.8 dash, after the last element's gap
    int pauseMs;         // a character without a pattern: 9 dots
    int weightMs;        // added to each mark and taken from the gap after it
};
// weightPercent is kept within -50 to 50.
KeyTiming keyTimingForSpeed(int wpm, int weightPercent = 0);
KeyTiming currentKeyTiming(const StationState& state);

// Keys c (upper-cased by the plain ASCII rule) and returns when it and its
// gaps are over. A character without a pattern is a 9-dot pause with both
// lines left as they are. Without an open port the timing is the same.
void keyCharacter(StationState& state, unsigned char c, SendingPace& pace);
// The same, timed from now.
void keyCharacter(StationState& state, unsigned char c);

}  // namespace ditdahl
