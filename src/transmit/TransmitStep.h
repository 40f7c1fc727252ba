// The steps every transmission job shares: the per-character step that echoes
// the character into the traffic line and keys it, the Delay setting, and the
// closing of a sending. Job threads.
#pragma once

#include <string_view>

#include "station/StationState.h"
#include "transmit/SendingPace.h"

namespace ditdahl {

// The number at the start of the Delay list's selected entry, in ms; 0 with
// no selection or no number.
int selectedDelayMs(const StationState& state);

// Appends the character (one byte, or the bytes of one UTF-8 character;
// upper-cased; a zero byte appends nothing) to the traffic line and shows it,
// records the line once it passes 60 bytes, keys it (a character outside the
// Morse table is one pause) and waits the delay.
void transmitCharacter(StationState& state, std::string_view character, int delayMs, SendingPace& pace);

// Sends each character of text until a stop is requested (checked before each).
void transmitText(StationState& state, std::string_view text, int delayMs, SendingPace& pace);

// After the last character: 9 dots of quiet, then the traffic line recorded as
// sent and emptied.
void closeSending(StationState& state, SendingPace& pace);

}  // namespace ditdahl
