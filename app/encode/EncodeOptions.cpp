#include "EncodeOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace ditdahl::encode {

const char* const encodeUsage =
    "Usage: ditdahl-encode [OPTIONS] -o OUTPUT [TEXT...]\n"
    "Keys Morse text as a tone and writes it as a 16-bit stereo WAV file.\n"
    "\n"
    "The text comes from the words given, from --file, or else from standard input.\n"
    "Timing is the program's own: a dot of 1200/wpm ms, a dash of three dots,\n"
    "0.8 dash more after each character and 9 dots for a blank.\n"
    "\n"
    "  -o, --output FILE   where to write the WAV file; - for standard output\n"
    "  --file FILE         key the bytes of FILE\n"
    "  --wpm N             speed, 10 to 30 words per minute (default 20)\n"
    "  --tone HZ           tone frequency (default 550)\n"
    "  --delay MS          extra pause after each character: 0, 100, 200, 500,\n"
    "                      1000 or 2000 (default 0)\n"
    "  --rate HZ           sample rate: 6000, 8000 or 48000 (default 6000)\n"
    "  --noise-snr DB      add white noise, DB below the tone in 2500 Hz\n"
    "  -h, --help          show this help\n"
    "  --version           show the version\n";

namespace {

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

}  // namespace

ParsedCommandLine parseEncodeCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    EncodeOptions& o = parsed.options;
    auto fail = [&](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    bool onlyText = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyText || argument.empty() || argument[0] != '-' || argument == "-") {
            if (o.haveText) o.text += ' ';
            o.text += argument;
            o.haveText = true;
            continue;
        }
        if (argument == "--") {
            onlyText = true;
            continue;
        }
        if (argument == "-h" || argument == "--help") {
            parsed.showHelp = true;
            continue;
        }
        if (argument == "--version") {
            parsed.showVersion = true;
            continue;
        }
        const bool known = argument == "-o" || argument == "--output" || argument == "--file" || argument == "--wpm" ||
                           argument == "--tone" || argument == "--delay" || argument == "--rate" ||
                           argument == "--noise-snr";
        if (!known) return fail("unknown option " + argument);
        if (i + 1 >= arguments.size()) return fail(argument + " needs a value");
        const std::string& value = arguments[++i];
        if (argument == "-o" || argument == "--output") {
            if (value.empty()) return fail("the output file name is empty");
            o.output = value;
        } else if (argument == "--file") {
            if (value.empty()) return fail("the text file name is empty");
            o.textFile = value;
        } else if (argument == "--wpm") {
            if (!parseInt(value, o.speedWpm) || o.speedWpm < 10 || o.speedWpm > 30) {
                return fail("--wpm must be a whole number from 10 to 30, not " + value);
            }
        } else if (argument == "--tone") {
            if (!parseNumber(value, o.toneHz) || o.toneHz <= 0)
                return fail("--tone must be a frequency in Hz, not " + value);
        } else if (argument == "--delay") {
            if (!parseInt(value, o.delayMs) || (o.delayMs != 0 && o.delayMs != 100 && o.delayMs != 200 &&
                                                o.delayMs != 500 && o.delayMs != 1000 && o.delayMs != 2000)) {
                return fail("--delay must be 0, 100, 200, 500, 1000 or 2000, not " + value);
            }
        } else if (argument == "--rate") {
            if (!parseInt(value, o.sampleRate) ||
                (o.sampleRate != 6000 && o.sampleRate != 8000 && o.sampleRate != 48000)) {
                return fail("--rate must be 6000, 8000 or 48000, not " + value);
            }
        } else {
            double snr = 0;
            if (!parseNumber(value, snr)) return fail("--noise-snr must be a number of dB, not " + value);
            o.noiseSnrDb = snr;
        }
    }
    if (parsed.showHelp || parsed.showVersion) return parsed;
    if (o.output.empty()) return fail("no output file: give -o FILE (or -o - for standard output)");
    if (o.haveText && !o.textFile.empty()) return fail("give the text either as words or with --file, not both");
    if (o.toneHz >= o.sampleRate / 2.0) {
        return fail("--tone must be below half the sample rate (" + std::to_string(o.sampleRate / 2) + " Hz)");
    }
    return parsed;
}

}  // namespace ditdahl::encode
