#include <gtest/gtest.h>

#include "KeydOptions.h"

namespace ditdahl::keyd {
namespace {

TEST(KeydOptions, ChoicesAndTheirLimits) {
    struct Case {
        std::vector<std::string> arguments;
        std::string device;  // empty: refused
        bool dtr;
        int wpm;
        std::string address;
        int port;
    };
    const Case cases[] = {
        {{"--port-device", "1"}, "1", true, 24, "127.0.0.1", 6789},
        {{"--port-device", "/dev/ttyUSB0", "--line", "rts", "--wpm", "30", "--address", "0.0.0.0", "--udp-port", "0"},
         "/dev/ttyUSB0",
         false,
         30,
         "0.0.0.0",
         0},
        {{}, "", true, 0, "", 0},
        {{"--port-device", "1", "--wpm", "31"}, "", true, 0, "", 0},
        {{"--port-device", "1", "--wpm", "9"}, "", true, 0, "", 0},
        {{"--port-device", "1", "--line", "cts"}, "", true, 0, "", 0},
        {{"--port-device", "1", "--udp-port", "65536"}, "", true, 0, "", 0},
        {{"--port-device"}, "", true, 0, "", 0},
        {{"--port-device", "1", "--verbose"}, "", true, 0, "", 0},
        {{"--port-device", ""}, "", true, 0, "", 0},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parseKeydCommandLine(c.arguments);
        EXPECT_EQ(parsed.error.empty(), !c.device.empty()) << parsed.error;
        if (c.device.empty()) continue;
        EXPECT_EQ(parsed.options.portDevice, c.device);
        EXPECT_EQ(parsed.options.keyOnDtr, c.dtr);
        EXPECT_EQ(parsed.options.speedWpm, c.wpm);
        EXPECT_EQ(parsed.options.address, c.address);
        EXPECT_EQ(parsed.options.udpPort, c.port);
    }
}

}  // namespace
}  // namespace ditdahl::keyd
