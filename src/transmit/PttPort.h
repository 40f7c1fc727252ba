// The keying port: naming the serial port chosen in the PTT port list and
// opening it, with both of its lines released, whenever the choice changes.
// Window thread.
#pragma once

#include <string>

#include "station/StationState.h"

namespace ditdahl {

inline constexpr int pttPortCount = 256;

// The Windows device name of PTT port list entry listIndex (port number
// listIndex + 1): "COM1" to "COM9", and "\\.\COM10" onwards for the rest.
std::string pttPortName(int listIndex);

// Closes the open port, then opens port portNumber (1 to 256; the PTT port
// list's entry plus one, 0 with no selection) through state.openKeyLine. A port
// that cannot be opened (none chosen, missing, busy, no permission) is reported
// once with a message box and leaves no port open; sending then goes on with
// full timing and no keying.
void openPttPort(StationState& state, int portNumber);

// Releases both lines and closes the port.
void closePttPort(StationState& state);

// A port that has gone (unplugged in the middle of a sending) is closed, if it
// is still the open one, and the transmit panel is told; sending goes on with
// full timing and no keying. Any thread.
void dropGonePttPort(StationState& state, const KeyLine& gone);

}  // namespace ditdahl
