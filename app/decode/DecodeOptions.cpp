#include "DecodeOptions.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/CaptureFormat.h"
#include "station/Clock.h"

namespace ditdahl::decode {

const char* const decodeUsage =
    "Usage: ditdahl-decode [OPTIONS] FILE\n"
    "       ditdahl-decode [OPTIONS] --device NAME|NUMBER [--seconds S]\n"
    "       ditdahl-decode --list-devices\n"
    "Decodes the Morse code in a recording the way Ditdahl's receiver does and\n"
    "prints the text. FILE is any audio file libsndfile reads (WAV, FLAC, ...), at\n"
    "any rate, mono or stereo (the left channel is decoded); '-' reads WAV from\n"
    "standard input. With --device it decodes live audio from an input device\n"
    "instead, printing the text as it comes, until Ctrl+C or for --seconds.\n"
    "\n"
    "  --tone HZ          the audio frequency of the signal (20 to 1600); picks the\n"
    "                     tone button that watches the nearest bin and says which\n"
    "  --button K         the tone button to watch, 1 to 32 (button K is labelled\n"
    "                     50 x K Hz); default 11, the 550 Hz button\n"
    "  --filter 50|100    the filter width in Hz; default 50\n"
    "  --threshold PCT    detection threshold in percent, 0 to 100; default 50\n"
    "  --wpm N            starting receive speed, 5 to 60 words per minute; default 10\n"
    "  --auto-speed       let the receive speed follow the received marks\n"
    "  --best             decode with the automatic decoder, which finds the tone\n"
    "                     and the speed by itself; --tone and --wpm become hints\n"
    "  --log              print the traffic lines with UTC time and label instead of\n"
    "                     the plain text\n"
    "  --start TIME       UTC time of the recording's start for --log, as\n"
    "                     YYYY-MM-DDTHH:MM:SS; default: the file's modification time\n"
    "                     less its length (the current time for standard input)\n"
    "  --device NAME|NUMBER  decode live audio from this input device: its number\n"
    "                     in --list-devices, its name, or the beginning of its name\n"
    "  --seconds S        with --device: stop after S seconds\n"
    "  --list-devices     list the input devices and exit\n"
    "  --driver-messages  let the sound system's own console messages through\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n";

namespace {

bool parseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

bool parseInteger(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

// YYYY-MM-DDTHH:MM:SS (or a blank for T), an optional trailing Z.
std::optional<long long> parseUtc(std::string text) {
    if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) text.pop_back();
    int year, month, day, hour, minute, second;
    char separator;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day, &separator, &hour, &minute,
                    &second, &consumed) != 7 ||
        consumed != static_cast<int>(text.size()) || (separator != 'T' && separator != 't' && separator != ' ')) {
        return std::nullopt;
    }
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        hour < 0 || minute < 0 || second < 0) {
        return std::nullopt;
    }
    const long long days = daysFromCivil(year, month, day);
    return ((days * 24 + hour) * 60 + minute) * 60000LL + second * 1000LL;
}

}  // namespace

double watchedFrequencyHz(int toneButton, int filterHz) {
    // As the receiver derives its bin: 50 x K Hz / 50 with the 50 Hz filter,
    // / 100 rounded up with the 100 Hz filter.
    const int frequency = 50 * toneButton;
    const double binHz = static_cast<double>(captureFramesPerSecond) / fftSizeForFilter(filterHz);
    if (filterHz == 50) return (frequency / 50) * binHz;
    return ((frequency + 99) / 100) * binHz;
}

int nearestToneButton(double toneHz, int filterHz) {
    int best = 1;
    for (int k = 2; k <= 32; ++k) {
        const double distance = std::abs(watchedFrequencyHz(k, filterHz) - toneHz);
        const double bestDistance = std::abs(watchedFrequencyHz(best, filterHz) - toneHz);
        if (distance < bestDistance ||
            (distance == bestDistance && std::abs(50.0 * k - toneHz) < std::abs(50.0 * best - toneHz))) {
            best = k;
        }
    }
    return best;
}

ParsedCommandLine parseDecodeCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    DecodeOptions& options = parsed.options;
    bool haveButton = false;
    bool haveInput = false;
    auto fail = [&parsed](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        std::string value;
        bool haveValue = false;
        if (argument.rfind("--", 0) == 0) {
            const std::size_t equals = argument.find('=');
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
                argument.resize(equals);
                haveValue = true;
            }
        }
        auto takeValue = [&]() -> bool {
            if (haveValue) return true;
            if (i + 1 >= arguments.size()) return false;
            value = arguments[++i];
            return true;
        };
        const bool takesValue = argument == "--tone" || argument == "--button" || argument == "--filter" ||
                                argument == "--threshold" || argument == "--wpm" || argument == "--start" ||
                                argument == "--device" || argument == "--seconds";
        if (takesValue && !takeValue()) return fail(argument + " needs a value");
        if (!takesValue && haveValue) return fail(argument + " takes no value");

        if (argument == "--help" || argument == "-h") {
            parsed.showHelp = true;
        } else if (argument == "--version") {
            parsed.showVersion = true;
        } else if (argument == "--tone") {
            double hz = 0.0;
            if (!parseNumber(value, hz) || hz < 20.0 || hz > 1600.0) {
                return fail("--tone must be a frequency from 20 to 1600 Hz, not '" + value + "'");
            }
            options.toneHz = hz;
        } else if (argument == "--button") {
            if (!parseInteger(value, options.toneButton) || options.toneButton < 1 || options.toneButton > 32) {
                return fail("--button must be a tone button from 1 to 32, not '" + value + "'");
            }
            haveButton = true;
        } else if (argument == "--filter") {
            if (!parseInteger(value, options.filterHz) || (options.filterHz != 50 && options.filterHz != 100)) {
                return fail("--filter must be 50 or 100, not '" + value + "'");
            }
        } else if (argument == "--threshold") {
            if (!parseNumber(value, options.thresholdPercent) || options.thresholdPercent < 0.0 ||
                options.thresholdPercent > 100.0) {
                return fail("--threshold must be a percentage from 0 to 100, not '" + value + "'");
            }
        } else if (argument == "--wpm") {
            if (!parseInteger(value, options.speedWpm) || options.speedWpm < 5 || options.speedWpm > 60) {
                return fail("--wpm must be a speed from 5 to 60 words per minute, not '" + value + "'");
            }
            options.speedGiven = true;
        } else if (argument == "--auto-speed") {
            options.autoSpeed = true;
        } else if (argument == "--best") {
            options.automatic = true;
        } else if (argument == "--log") {
            options.log = true;
        } else if (argument == "--start") {
            options.startUtcMs = parseUtc(value);
            if (!options.startUtcMs)
                return fail("--start must be a UTC time as YYYY-MM-DDTHH:MM:SS, not '" + value + "'");
        } else if (argument == "--device") {
            if (value.empty()) return fail("--device needs an input device's name or number");
            options.device = value;
        } else if (argument == "--seconds") {
            if (!parseNumber(value, options.liveSeconds) || options.liveSeconds <= 0.0) {
                return fail("--seconds must be a positive number of seconds, not '" + value + "'");
            }
        } else if (argument == "--list-devices") {
            options.listDevices = true;
        } else if (argument == "--driver-messages") {
            options.driverMessages = true;
        } else if (argument == "-" || argument.empty() || argument[0] != '-') {
            // Most often an unset shell variable; no file has an empty name.
            if (argument.empty()) return fail("the recording's name is empty");
            if (haveInput) return fail("only one recording can be decoded at a time");
            options.input = argument;
            haveInput = true;
        } else {
            return fail("unknown option '" + argument + "'");
        }
    }
    if (parsed.showHelp || parsed.showVersion) return parsed;
    if (options.toneHz && haveButton) return fail("give either --tone or --button, not both");
    if (options.listDevices) return parsed;
    const bool live = !options.device.empty();
    if (live && haveInput) return fail("give either a recording or --device, not both");
    if (!live && options.liveSeconds > 0.0) return fail("--seconds goes with --device");
    if (!haveInput && !live) return fail("no recording given");
    if (options.toneHz) options.toneButton = nearestToneButton(*options.toneHz, options.filterHz);
    return parsed;
}

}  // namespace ditdahl::decode
