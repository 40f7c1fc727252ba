// The command line of ditdahl-keyd: the keying port and line, the speed, and
// where the keying server listens.
#pragma once

#include <string>
#include <vector>

namespace ditdahl::keyd {

struct KeydOptions {
    // A PTT port number (1 to 256, mapped as the window maps it) or a device.
    std::string portDevice;
    bool keyOnDtr = true;
    int speedWpm = 24;
    std::string address = "127.0.0.1";
    int udpPort = 6789;  // 0: any free port
    std::string settingsPath = "Ditdahl.ini";
};

struct ParsedCommandLine {
    KeydOptions options;
    bool showHelp = false;
    bool showVersion = false;
    std::string error;  // not empty: the command line is wrong, and why
};

ParsedCommandLine parseKeydCommandLine(const std::vector<std::string>& arguments);

extern const char* const keydUsage;

}  // namespace ditdahl::keyd
