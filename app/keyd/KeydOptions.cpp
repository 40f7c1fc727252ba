#include "KeydOptions.h"

#include <charconv>

#include "remote/Request.h"

namespace ditdahl::keyd {

const char* const keydUsage =
    "Usage: ditdahl-keyd --port-device PORT [OPTIONS]\n"
    "Keys a transmitter for logging programs (TLF, CQRLOG): listens for cwdaemon's\n"
    "network protocol and keys their text on a serial port's DTR or RTS line with\n"
    "Ditdahl's keyer. Runs until SIGTERM, SIGINT or SIGHUP, then releases both\n"
    "lines.\n"
    "\n"
    "  --port-device PORT  a PTT port number, 1 to 256, mapped to a device as the\n"
    "                      window maps it (the [Ports] section of the settings\n"
    "                      file, else /dev/ttyS{PORT-1}), or a device path\n"
    "  --line dtr|rts      the keying line (default dtr); PTT requests raise the\n"
    "                      other one\n"
    "  --wpm N             speed, 10 to 30 words per minute, and what a reset\n"
    "                      request returns to (default 24)\n"
    "  --address ADDRESS   the numeric address to listen on (default 127.0.0.1;\n"
    "                      0.0.0.0 lets any host on the network key the transmitter)\n"
    "  --udp-port PORT     the UDP port, 0 for any free one (default 6789)\n"
    "  --settings FILE     the settings file for [Ports] (default Ditdahl.ini)\n"
    "  -h, --help          show this help\n"
    "  --version           show the version\n";

namespace {

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// An option with a value: it stores the value, or says why it cannot.
struct ValueOption {
    const char* name;
    std::string (*apply)(const std::string& value, KeydOptions& options);
};

const ValueOption valueOptions[] = {
    {"--port-device",
     [](const std::string& v, KeydOptions& o) {
         if (v.empty()) return std::string("the keying port is empty");
         o.portDevice = v;
         return std::string();
     }},
    {"--line",
     [](const std::string& v, KeydOptions& o) {
         if (v != "dtr" && v != "rts") return "--line must be dtr or rts, not " + v;
         o.keyOnDtr = v == "dtr";
         return std::string();
     }},
    {"--wpm",
     [](const std::string& v, KeydOptions& o) {
         if (!parseInt(v, o.speedWpm) || o.speedWpm < slowestRemoteWpm || o.speedWpm > fastestRemoteWpm) {
             return "--wpm must be a whole number from 10 to 30, not " + v;
         }
         return std::string();
     }},
    {"--address",
     [](const std::string& v, KeydOptions& o) {
         if (v.empty()) return std::string("the address to listen on is empty");
         o.address = v;
         return std::string();
     }},
    {"--udp-port",
     [](const std::string& v, KeydOptions& o) {
         if (!parseInt(v, o.udpPort) || o.udpPort < 0 || o.udpPort > 65535) {
             return "--udp-port must be a whole number from 0 to 65535, not " + v;
         }
         return std::string();
     }},
    {"--settings",
     [](const std::string& v, KeydOptions& o) {
         if (v.empty()) return std::string("the settings file name is empty");
         o.settingsPath = v;
         return std::string();
     }},
};

const ValueOption* findValueOption(const std::string& name) {
    for (const ValueOption& option : valueOptions) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

}  // namespace

ParsedCommandLine parseKeydCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    KeydOptions& o = parsed.options;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
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
    if (o.portDevice.empty()) parsed.error = "--port-device is missing: give the keying port";
    return parsed;
}

}  // namespace ditdahl::keyd
