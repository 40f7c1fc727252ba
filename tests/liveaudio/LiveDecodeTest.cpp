// ditdahl-decode on live input, run as a user runs it, with input devices of
// a test-only ALSA configuration that read FIFOs played in real time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AlsaSandbox.h"
#include "DecodeOptions.h"
#include "FifoFeeder.h"
#include "support/RunTool.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

using testing::AfterAudio;
using testing::AlsaSandbox;
using testing::FifoFeeder;
using testing::ToolRun;

ToolRun runDecode(const AlsaSandbox& alsa, const std::vector<std::string>& arguments) {
    return testing::runTool(DECODE_TOOL, arguments, "/dev/null", alsa.file("stdout"), alsa.file("stderr"));
}

TEST(LiveDecode, CommandLineForLiveInput) {
    struct Case {
        std::vector<std::string> arguments;
        std::string error;  // empty: accepted
        std::string device;
        double seconds;
        bool list;
        bool messages;
    };
    const Case cases[] = {
        {{"--device", "hw:1"}, "", "hw:1", 0.0, false, false},
        {{"--device=2", "--seconds", "3.5"}, "", "2", 3.5, false, false},
        {{"--list-devices"}, "", "", 0.0, true, false},
        {{"--driver-messages", "--device", "USB"}, "", "USB", 0.0, false, true},
        {{"--device", "x", "rec.wav"}, "give either a recording or --device, not both", "", 0, false, false},
        {{"--seconds", "3", "rec.wav"}, "--seconds goes with --device", "", 0, false, false},
        {{"--device", "x", "--seconds", "0"},
         "--seconds must be a positive number of seconds, not '0'",
         "",
         0,
         false,
         false},
        {{"--device"}, "--device needs a value", "", 0, false, false},
        {{"--device="}, "--device needs an input device's name or number", "", 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const auto parsed = decode::parseDecodeCommandLine(c.arguments);
        EXPECT_EQ(parsed.error, c.error);
        if (!c.error.empty()) continue;
        EXPECT_EQ(parsed.options.device, c.device);
        EXPECT_EQ(parsed.options.liveSeconds, c.seconds);
        EXPECT_EQ(parsed.options.listDevices, c.list);
        EXPECT_EQ(parsed.options.driverMessages, c.messages);
    }
}

TEST(LiveDecode, ListsTheInputsAndRefusesOneThatIsNotThere) {
    AlsaSandbox alsa;
    FifoFeeder radio(alsa.file("radio.fifo"), {}, AfterAudio::Silence);
    FifoFeeder second(alsa.file("second.fifo"), {}, AfterAudio::Silence);
    ASSERT_TRUE(radio.ok() && second.ok());
    alsa.addFileInput("ditdahl_radio", alsa.file("radio.fifo"));
    alsa.addFileInput("ditdahl_second", alsa.file("second.fifo"));

    const ToolRun list = runDecode(alsa, {"--list-devices"});
    EXPECT_EQ(list.exitCode, 0);
    const auto radioAt = list.out.find("  ditdahl_radio\n");
    const auto secondAt = list.out.find("  ditdahl_second\n");
    EXPECT_NE(radioAt, std::string::npos) << list.out;
    EXPECT_NE(secondAt, std::string::npos) << list.out;
    EXPECT_LT(radioAt, secondAt);
    EXPECT_EQ(list.err, "");

    for (const std::string wanted : {"nosuch", "99"}) {
        const ToolRun run = runDecode(alsa, {"--device", wanted, "--seconds", "1"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("no input device '" + wanted + "'"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("--list-devices"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(LiveDecode, PrintsTheTextKeyedIntoTheInput) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        const char* text;
        double seconds;
    };
    const Case cases[] = {
        {"the window's decoder", {"--button", "12", "--wpm", "20"}, "PARIS", 5},
        {"the automatic decoder", {"--best"}, "PARIS", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AlsaSandbox alsa;
        synthesis::KeyingPlan keying;
        keying.wpm = 20;
        keying.toneHz = 562.5;  // the bin that the 600 Hz button watches with the 50 Hz filter
        FifoFeeder radio(alsa.file("radio.fifo"), synthesis::toStereo16(synthesis::keyedTone(c.text, keying)),
                         AfterAudio::Silence);
        ASSERT_TRUE(radio.ok());
        alsa.addFileInput("ditdahl_radio", alsa.file("radio.fifo"));

        std::vector<std::string> arguments{"--device", "ditdahl_ra", "--seconds", std::to_string(c.seconds)};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ToolRun run = runDecode(alsa, arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, std::string(c.text) + " \n") << run.err;
        EXPECT_NE(run.err.find("listening to 'ditdahl_radio' (6000 frames/s, 2 channels)"), std::string::npos)
            << run.err;
    }
}

}  // namespace
}  // namespace ditdahl
