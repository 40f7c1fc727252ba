#include "EncodeOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

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

namespace {

// An option with a value: it stores the value, or says why it cannot.
struct ValueOption {
    const char* name;
    std::string (*apply)(const std::string& value, EncodeOptions& options);
};

std::string setOutput(const std::string& v, EncodeOptions& o) {
    if (v.empty()) return "the output file name is empty";
    o.output = v;
    return {};
}

bool isOneOf(int value, std::initializer_list<int> allowed) {
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

const ValueOption valueOptions[] = {
    {"-o", setOutput},
    {"--output", setOutput},
    {"--file",
     [](const std::string& v, EncodeOptions& o) {
         if (v.empty()) return std::string("the text file name is empty");
         o.textFile = v;
         return std::string();
     }},
    {"--wpm",
     [](const std::string& v, EncodeOptions& o) {
         if (!parseInt(v, o.speedWpm) || o.speedWpm < 10 || o.speedWpm > 30) {
             return "--wpm must be a whole number from 10 to 30, not " + v;
         }
         return std::string();
     }},
    {"--tone",
     [](const std::string& v, EncodeOptions& o) {
         if (!parseNumber(v, o.toneHz) || o.toneHz <= 0) return "--tone must be a frequency in Hz, not " + v;
         return std::string();
     }},
    {"--delay",
     [](const std::string& v, EncodeOptions& o) {
         if (!parseInt(v, o.delayMs) || !isOneOf(o.delayMs, {0, 100, 200, 500, 1000, 2000})) {
             return "--delay must be 0, 100, 200, 500, 1000 or 2000, not " + v;
         }
         return std::string();
     }},
    {"--rate",
     [](const std::string& v, EncodeOptions& o) {
         if (!parseInt(v, o.sampleRate) || !isOneOf(o.sampleRate, {6000, 8000, 48000})) {
             return "--rate must be 6000, 8000 or 48000, not " + v;
         }
         return std::string();
     }},
    {"--noise-snr",
     [](const std::string& v, EncodeOptions& o) {
         double snr = 0;
         if (!parseNumber(v, snr)) return "--noise-snr must be a number of dB, not " + v;
         o.noiseSnrDb = snr;
         return std::string();
     }},
};

const ValueOption* findValueOption(const std::string& name) {
    for (const ValueOption& option : valueOptions) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

void addWord(const std::string& word, EncodeOptions& o) {
    if (o.haveText) o.text += ' ';
    o.text += word;
    o.haveText = true;
}

std::string checkTogether(const EncodeOptions& o) {
    if (o.output.empty()) return "no output file: give -o FILE (or -o - for standard output)";
    if (o.haveText && !o.textFile.empty()) return "give the text either as words or with --file, not both";
    if (o.toneHz >= o.sampleRate / 2.0) {
        return "--tone must be below half the sample rate (" + std::to_string(o.sampleRate / 2) + " Hz)";
    }
    return {};
}

}  // namespace

ParsedCommandLine parseEncodeCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    EncodeOptions& o = parsed.options;
    bool onlyText = false;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyText || argument.empty() || argument[0] != '-' || argument == "-") {
            addWord(argument, o);
        } else if (argument == "--") {
            onlyText = true;
        } else if (argument == "-h" || argument == "--help") {
            parsed.showHelp = true;
        } else if (argument == "--version") {
            parsed.showVersion = true;
        } else if (const ValueOption* option = findValueOption(argument)) {
            if (i + 1 >= arguments.size()) {
                parsed.error = argument + " needs a value";
            } else {
                parsed.error = option->apply(arguments[++i], o);
            }
        } else {
            parsed.error = "unknown option " + argument;
        }
    }
    if (!parsed.error.empty() || parsed.showHelp || parsed.showVersion) return parsed;
    parsed.error = checkTogether(o);
    return parsed;
}

}  // namespace ditdahl::encode
