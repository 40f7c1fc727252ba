// The command line of ditdahl-encode: what to key, how, and where the audio
// goes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/CaptureFormat.h"

namespace ditdahl::encode {

struct EncodeOptions {
    std::string text;  // the words given on the command line, joined by blanks
    bool haveText = false;
    std::string textFile;  // --file
    std::string output;    // -o; "-" is standard output
    int speedWpm = 20;
    double toneHz = 550.0;
    int delayMs = 0;
    int sampleRate = captureFramesPerSecond;
    std::optional<double> noiseSnrDb;
};

struct ParsedCommandLine {
    EncodeOptions options;
    bool showHelp = false;
    bool showVersion = false;
    std::string error;  // not empty: the command line is wrong, and why
};

ParsedCommandLine parseEncodeCommandLine(const std::vector<std::string>& arguments);

extern const char* const encodeUsage;

}  // namespace ditdahl::encode
