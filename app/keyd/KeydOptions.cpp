#include "KeydOptions.h"

#include <charconv>

#include "remote/Request.h"

namespace ditdahl::keyd {

const char* const keydUsage =
    "Usage: ditdahl-keyd --port-device PORT [OPTIONS]\n"
    "Keys a transmitter for logging programs: listens for the UDP keying protocol\n"
    "of Linux's contest loggers and keys their text on a serial port's DTR or RTS\n"
    "line with Ditdahl's keyer. Runs until SIGTERM, SIGINT or SIGHUP, then\n"
    "releases both lines.\n"
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

}  // namespace

ParsedCommandLine parseKeydCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    KeydOptions& o = parsed.options;
    auto fail = [&](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            parsed.showHelp = true;
            continue;
        }
        if (argument == "--version") {
            parsed.showVersion = true;
            continue;
        }
        const bool known = argument == "--port-device" || argument == "--line" || argument == "--wpm" ||
                           argument == "--address" || argument == "--udp-port" || argument == "--settings";
        if (!known) return fail("unknown option " + argument);
        if (i + 1 >= arguments.size()) return fail(argument + " needs a value");
        const std::string& value = arguments[++i];
        if (argument == "--port-device") {
            o.portDevice = value;
        } else if (argument == "--line") {
            if (value != "dtr" && value != "rts") return fail("--line must be dtr or rts");
            o.keyOnDtr = value == "dtr";
        } else if (argument == "--wpm") {
            if (!parseInt(value, o.speedWpm) || o.speedWpm < slowestRemoteWpm || o.speedWpm > fastestRemoteWpm) {
                return fail("--wpm must be a whole number from 10 to 30");
            }
        } else if (argument == "--address") {
            o.address = value;
        } else if (argument == "--udp-port") {
            if (!parseInt(value, o.udpPort) || o.udpPort < 0 || o.udpPort > 65535) {
                return fail("--udp-port must be a whole number from 0 to 65535");
            }
        } else {
            o.settingsPath = value;
        }
    }
    if (!parsed.showHelp && !parsed.showVersion && o.portDevice.empty()) return fail("--port-device is missing");
    return parsed;
}

}  // namespace ditdahl::keyd
