// Turns finished key runs into text: marks into dots and dashes against the
// receive timing, space runs into the end of a character or a word space; the
// decoded text goes to the traffic line and the RX/TX buffer box. Also
// gathers mark durations for "Sense speed" and "Auto speed". Capture thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "station/StationState.h"

namespace ditdahl {

// The longest pattern the decoder collects for one character.
inline constexpr std::size_t maxElements = 15;
// A measurement ends once more than this has passed since its first run.
inline constexpr std::uint32_t measurementMs = 10000;

// Handles one finished run of durationMs; state.keyDown says whether it was
// a mark.
void decodeRun(StationState& state, std::uint32_t durationMs);

// Appends received text to trafficLine, shows the whole line in the RX/TX
// buffer box, empties symbolBuffer and tells state.receivedTextObserver;
// nothing while receiving is off. Takes trafficLock. Capture thread.
void appendToTrafficLine(StationState& state, std::string_view text);

// Records trafficLine and empties it once it holds more than 60 characters.
// Takes trafficLock.
void flushLongTrafficLine(StationState& state);

// Lets the sending speed follow the receive speed: the TX speed list entry
// that equals the RX Speed box is selected and becomes the sending speed.
// Only an equal entry counts, so that the list never shows another speed than
// the one sent (a receive speed of 2 wpm must not select "20").
void followWithTxSpeed(StationState& state);

}  // namespace ditdahl
