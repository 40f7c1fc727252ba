// The command line of ditdahl-decode: the recording (or the input device) and
// the receive choices that mirror the window's (tone button, filter,
// threshold, speed).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/SpectrumBars.h"

namespace ditdahl::decode {

struct DecodeOptions {
    std::string input;  // a file, or "-" for WAV on standard input
    int filterHz = 50;
    int toneButton = 11;           // the 550 Hz button, the window's start value
    std::optional<double> toneHz;  // --tone: the button is chosen from it
    double thresholdPercent = 50.0;
    int speedWpm = 10;
    bool autoSpeed = false;
    bool speedGiven = false;  // --wpm was given
    bool automatic = false;   // --best: the automatic decoder; tone and speed are hints
    bool band = false;        // --band: every signal of the band, a line per stretch of text
    // Callsign spots of the band's signals: printed (--spots) instead of the
    // stretches, and served to logging programs (--spot-port).
    bool spots = false;
    int spotPort = 0;                 // 0: no spot server
    std::optional<double> dialKHz;    // --dial: where audio 0 Hz lies on the radio
    bool lowerSideband = false;       // --lsb
    std::string spotter = "DITDAHL";  // --spotter: the call the spots are made by
    bool log = false;
    std::optional<long long> startUtcMs;  // --start
    // Live decoding from an input device instead of a recording.
    std::string device;        // --device: a name, the beginning of one, or a number
    double liveSeconds = 0.0;  // --seconds; 0: until interrupted
    bool listDevices = false;
    bool driverMessages = false;  // let the sound system's own messages through
};

struct ParsedCommandLine {
    DecodeOptions options;
    bool showHelp = false;
    bool showVersion = false;
    std::string error;  // not empty: the command line is wrong, and why
};

ParsedCommandLine parseDecodeCommandLine(const std::vector<std::string>& arguments);

extern const char* const decodeUsage;

}  // namespace ditdahl::decode
