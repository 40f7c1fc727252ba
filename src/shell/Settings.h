// The settings file: the four choice lists of the main window filled at
// start-up, the user's choices read from the settings file once at start-up
// and written back once at shutdown. The lists store positions, except the
// Input list, which stores its device's name so that the device is found again
// when the devices are numbered differently. Window thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "station/StationState.h"

namespace ditdahl {

inline constexpr std::string_view settingsSection = "Ditdahl";
// The receiver choice has a section of its own, so that the main section
// holds exactly the window's twelve keys, which other copies of the program
// read and write.
inline constexpr std::string_view automaticDecoderSection = "Automatic decoder";
inline constexpr std::string_view keyingServerSection = "Keying server";
inline constexpr std::string_view bandSection = "Band";
inline constexpr int maxInputDevices = 10;

// startDirectory and "Ditdahl.ini", rebuilt for every load and save so that a
// later change of the current directory does not move the file.
std::string settingsPath(const StationState& state);
// startDirectory and "Ditdahl.log".
std::string defaultLogPath(const StationState& state);

// The Input list: the names of at most the first 10 devices, device 0 first,
// so that an entry's index is its device number.
void fillInputList(StationState& state, const std::vector<std::string>& deviceNames);
// The PTT port list: "1" to "256".
void fillPortList(StationState& state);
// The TX speed list: "10" to "30" words per minute.
void fillSpeedList(StationState& state);
// The Delay list: 0, 100, 200, 500, 1000 and 2000 ms.
void fillDelayList(StationState& state);

// Sets the controls and the station's choices from the settings file; a
// missing file or key gives the default (the automatic decoder, the keying
// server and the Band view are off; a port outside 1 to 65535 or an empty address is the
// default too).
// Needs startDirectory and the four filled lists. Leaves txSpeedWpm to the
// TX speed list's selection.
void loadSettings(StationState& state);

// Writes the controls' current choices, logPath and thresholdPercent into the
// settings file, key by key, then whether the automatic decoder is on and the
// keying server's choices, and the Band view's when it is on or the file had it
// on (a file that never had it keeps no trace of it); every other line of the
// file stays as it was.
// False when the file could not be written (a folder in its place, a
// read-only disk); what was there is left as it was.
bool saveSettings(StationState& state);

}  // namespace ditdahl
