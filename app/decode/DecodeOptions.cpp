#include "DecodeOptions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

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
    "  --band             decode every signal from 200 to 1600 Hz at once, each on\n"
    "                     a channel of its own, and print a line for each stretch\n"
    "                     of a channel's text: its start (seconds into the audio),\n"
    "                     the channel's tone, speed and signal-to-noise ratio (in\n"
    "                     2500 Hz), then the text, as in\n"
    "                     '12.3s 712 Hz 24 wpm 9 dB: CQ CQ DE ...'; a stretch ends\n"
    "                     once its channel has been quiet for about 2 s (no text\n"
    "                     for 3 s), past 60 characters, when the signal has gone\n"
    "                     (10 s of silence) or when the audio ends\n"
    "  --spots            with the band decoder: print a DX-cluster spot line for\n"
    "                     each call heard calling or answered (once per call and\n"
    "                     signal) instead of the text; needs --dial\n"
    "  --spot-port N      with the band decoder: serve the spots to logging\n"
    "                     programs and cluster clients on 127.0.0.1 port N\n"
    "                     (telnet; 7300 is usual); needs --dial\n"
    "  --dial KHZ         the radio's dial frequency in kHz, where audio 0 Hz lies;\n"
    "                     a spot's frequency is the dial plus the signal's tone\n"
    "  --lsb              the radio is on lower sideband: the tone is taken off the\n"
    "                     dial instead\n"
    "  --spotter CALL     the call the spots are made by; default DITDAHL\n"
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

namespace {

// What a command line has said so far beyond the options themselves.
struct Seen {
    bool button = false;
    bool input = false;
};

// An option with a value: it stores the value, or says why it cannot.
struct ValueOption {
    const char* name;
    std::string (*apply)(const std::string& value, DecodeOptions& options, Seen& seen);
};

std::string notThe(const char* what, const std::string& value) { return std::string(what) + ", not '" + value + "'"; }

const ValueOption valueOptions[] = {
    {"--tone",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         double hz = 0.0;
         if (!parseNumber(v, hz) || hz < 20.0 || hz > 1600.0) {
             return notThe("--tone must be a frequency from 20 to 1600 Hz", v);
         }
         o.toneHz = hz;
         return std::string();
     }},
    {"--button",
     [](const std::string& v, DecodeOptions& o, Seen& seen) {
         if (!parseInteger(v, o.toneButton) || o.toneButton < 1 || o.toneButton > 32) {
             return notThe("--button must be a tone button from 1 to 32", v);
         }
         seen.button = true;
         return std::string();
     }},
    {"--filter",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         if (!parseInteger(v, o.filterHz) || (o.filterHz != 50 && o.filterHz != 100)) {
             return notThe("--filter must be 50 or 100", v);
         }
         return std::string();
     }},
    {"--threshold",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         if (!parseNumber(v, o.thresholdPercent) || o.thresholdPercent < 0.0 || o.thresholdPercent > 100.0) {
             return notThe("--threshold must be a percentage from 0 to 100", v);
         }
         return std::string();
     }},
    {"--wpm",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         if (!parseInteger(v, o.speedWpm) || o.speedWpm < 5 || o.speedWpm > 60) {
             return notThe("--wpm must be a speed from 5 to 60 words per minute", v);
         }
         o.speedGiven = true;
         return std::string();
     }},
    {"--start",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         o.startUtcMs = parseUtc(v);
         if (!o.startUtcMs) return notThe("--start must be a UTC time as YYYY-MM-DDTHH:MM:SS", v);
         return std::string();
     }},
    {"--spot-port",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         if (!parseInteger(v, o.spotPort) || o.spotPort < 1 || o.spotPort > 65535) {
             return notThe("--spot-port must be a port from 1 to 65535", v);
         }
         return std::string();
     }},
    {"--dial",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         double kHz = 0.0;
         if (!parseNumber(v, kHz) || kHz < 1.0 || kHz > 1e8) {
             return notThe("--dial must be the radio's frequency in kHz, such as 14025", v);
         }
         o.dialKHz = kHz;
         return std::string();
     }},
    {"--spotter",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         if (v.empty() || v.size() > 20 || v.find_first_of(" \t\r\n") != std::string::npos) {
             return notThe("--spotter must be a call of up to 20 characters without blanks", v);
         }
         o.spotter = v;
         return std::string();
     }},
    {"--device",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         if (v.empty()) return std::string("--device needs an input device's name or number");
         o.device = v;
         return std::string();
     }},
    {"--seconds",
     [](const std::string& v, DecodeOptions& o, Seen&) {
         if (!parseNumber(v, o.liveSeconds) || o.liveSeconds <= 0.0) {
             return notThe("--seconds must be a positive number of seconds", v);
         }
         return std::string();
     }},
};

const ValueOption* findValueOption(const std::string& name) {
    for (const ValueOption& option : valueOptions) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

// Options without a value: each sets one flag.
bool* findFlag(const std::string& name, ParsedCommandLine& parsed) {
    DecodeOptions& o = parsed.options;
    const std::pair<const char*, bool*> flags[] = {
        {"--help", &parsed.showHelp},
        {"-h", &parsed.showHelp},
        {"--version", &parsed.showVersion},
        {"--auto-speed", &o.autoSpeed},
        {"--best", &o.automatic},
        {"--band", &o.band},
        {"--spots", &o.spots},
        {"--lsb", &o.lowerSideband},
        {"--log", &o.log},
        {"--list-devices", &o.listDevices},
        {"--driver-messages", &o.driverMessages},
    };
    for (const auto& [flagName, flag] : flags) {
        if (name == flagName) return flag;
    }
    return nullptr;
}

std::string takeRecording(const std::string& argument, DecodeOptions& options, Seen& seen) {
    // Most often an unset shell variable; no file has an empty name.
    if (argument.empty()) return "the recording's name is empty";
    if (seen.input) return "only one recording can be decoded at a time";
    options.input = argument;
    seen.input = true;
    return {};
}

// The choices that only make sense together, once every argument is read.
std::string checkTogether(const DecodeOptions& options, const Seen& seen) {
    if (options.toneHz && seen.button) return "give either --tone or --button, not both";
    const bool spotting = options.spots || options.spotPort > 0;
    if ((options.band || spotting) && (options.automatic || options.log)) {
        return std::string(options.band    ? "--band"
                           : options.spots ? "--spots"
                                           : "--spot-port") +
               " goes with neither --best nor --log";
    }
    if (spotting && !options.dialKHz) return "spots need the radio's dial frequency: give --dial KHZ";
    if (!spotting && (options.dialKHz || options.lowerSideband))
        return "--dial and --lsb go with --spots or --spot-port";
    if (options.listDevices) return {};
    const bool live = !options.device.empty();
    if (live && seen.input) return "give either a recording or --device, not both";
    if (!live && options.liveSeconds > 0.0) return "--seconds goes with --device";
    if (!seen.input && !live) return "no recording given";
    return {};
}

}  // namespace

ParsedCommandLine parseDecodeCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    DecodeOptions& options = parsed.options;
    Seen seen;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        std::string argument = arguments[i];
        if (argument == "-" || argument.empty() || argument[0] != '-') {
            parsed.error = takeRecording(argument, options, seen);
            continue;
        }
        std::optional<std::string> attached;  // --name=value
        const std::size_t equals = argument.rfind("--", 0) == 0 ? argument.find('=') : std::string::npos;
        if (equals != std::string::npos) {
            attached = argument.substr(equals + 1);
            argument.resize(equals);
        }
        if (const ValueOption* option = findValueOption(argument)) {
            if (!attached && i + 1 >= arguments.size()) {
                parsed.error = argument + " needs a value";
            } else {
                parsed.error = option->apply(attached ? *attached : arguments[++i], options, seen);
            }
        } else if (bool* flag = findFlag(argument, parsed)) {
            if (attached) parsed.error = argument + " takes no value";
            *flag = true;
        } else {
            parsed.error = "unknown option '" + argument + "'";
        }
    }
    if (!parsed.error.empty() || parsed.showHelp || parsed.showVersion) return parsed;
    parsed.error = checkTogether(options, seen);
    if (parsed.error.empty() && options.toneHz)
        options.toneButton = nearestToneButton(*options.toneHz, options.filterHz);
    // Spots are found in what the band decoder copies.
    if (options.spots || options.spotPort > 0) options.band = true;
    return parsed;
}

}  // namespace ditdahl::decode
