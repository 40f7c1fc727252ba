// Both tools' command lines on any argument vector: the bytes split at each
// zero byte into arguments, the first byte choosing the tool. A parse gives
// an error message, help or version, or options that the tool can use as
// they are: every value within the range its usage text documents.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Support.h"
#include "analysis/SpectrumBars.h"
#include "decode/DecodeOptions.h"
#include "encode/EncodeOptions.h"

using namespace ditdahl;

namespace {

void checkDecode(const std::vector<std::string>& arguments) {
    const decode::ParsedCommandLine parsed = decode::parseDecodeCommandLine(arguments);
    if (!parsed.error.empty() || parsed.showHelp || parsed.showVersion) return;
    const decode::DecodeOptions& o = parsed.options;
    fuzz::require(o.filterHz == 50 || o.filterHz == 100, "--filter outside 50 and 100");
    fuzz::require(o.toneButton >= 1 && o.toneButton <= 32, "a tone button outside 1 to 32");
    fuzz::require(!o.toneHz || (*o.toneHz >= 20.0 && *o.toneHz <= 1600.0), "--tone outside 20 to 1600 Hz");
    fuzz::require(!o.toneHz || o.toneButton == nearestToneButton(*o.toneHz, o.filterHz),
                  "--tone did not choose the nearest button");
    fuzz::require(o.thresholdPercent >= 0.0 && o.thresholdPercent <= 100.0, "--threshold outside 0 to 100");
    fuzz::require(o.speedWpm >= 5 && o.speedWpm <= 60, "--wpm outside 5 to 60");
    fuzz::require(!o.startUtcMs || *o.startUtcMs >= 0, "--start before 1970");
    fuzz::require(std::isfinite(o.liveSeconds) && o.liveSeconds >= 0.0, "--seconds is no duration");
    if (o.listDevices) return;
    fuzz::require(o.input.empty() != o.device.empty(), "neither or both of a recording and a device");
    fuzz::require(o.liveSeconds == 0.0 || !o.device.empty(), "--seconds without --device");
}

void checkEncode(const std::vector<std::string>& arguments) {
    const encode::ParsedCommandLine parsed = encode::parseEncodeCommandLine(arguments);
    if (!parsed.error.empty() || parsed.showHelp || parsed.showVersion) return;
    const encode::EncodeOptions& o = parsed.options;
    fuzz::require(!o.output.empty(), "no output");
    fuzz::require(o.speedWpm >= 10 && o.speedWpm <= 30, "--wpm outside 10 to 30");
    fuzz::require(o.sampleRate == 6000 || o.sampleRate == 8000 || o.sampleRate == 48000, "an unknown --rate");
    fuzz::require(std::isfinite(o.toneHz) && o.toneHz > 0.0 && o.toneHz < o.sampleRate / 2.0,
                  "--tone outside 0 to half the rate");
    const int d = o.delayMs;
    fuzz::require(d == 0 || d == 100 || d == 200 || d == 500 || d == 1000 || d == 2000, "an unknown --delay");
    fuzz::require(!o.noiseSnrDb || std::isfinite(*o.noiseSnrDb), "--noise-snr is no number");
    fuzz::require(!(o.haveText && !o.textFile.empty()), "both words and --file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::string> arguments;
    std::string argument;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(argument);
            argument.clear();
        } else {
            argument += static_cast<char>(data[i]);
        }
    }
    if (size > 1) arguments.push_back(argument);
    if (data[0] & 1) {
        checkEncode(arguments);
    } else {
        checkDecode(arguments);
    }
    return 0;
}
