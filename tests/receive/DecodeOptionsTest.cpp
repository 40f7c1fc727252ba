#include <gtest/gtest.h>

#include "DecodeOptions.h"

namespace ditdahl::decode {
namespace {

TEST(DecodeOptions, ChoicesAndTheirDefaults) {
    const ParsedCommandLine plain = parseDecodeCommandLine({"in.wav"});
    ASSERT_EQ(plain.error, "");
    EXPECT_EQ(plain.options.input, "in.wav");
    EXPECT_EQ(plain.options.filterHz, 50);
    EXPECT_EQ(plain.options.toneButton, 11);
    EXPECT_EQ(plain.options.thresholdPercent, 50.0);
    EXPECT_EQ(plain.options.speedWpm, 10);
    EXPECT_FALSE(plain.options.autoSpeed);
    EXPECT_FALSE(plain.options.log);
    EXPECT_FALSE(plain.options.automatic);
    EXPECT_FALSE(plain.options.speedGiven);

    const ParsedCommandLine all =
        parseDecodeCommandLine({"--filter", "100", "--button=14", "--threshold", "37.5", "--wpm", "25", "--auto-speed",
                                "--log", "--start", "2026-12-07T08:00:05Z", "-"});
    ASSERT_EQ(all.error, "");
    EXPECT_EQ(all.options.input, "-");
    EXPECT_EQ(all.options.filterHz, 100);
    EXPECT_EQ(all.options.toneButton, 14);
    EXPECT_EQ(all.options.thresholdPercent, 37.5);
    EXPECT_EQ(all.options.speedWpm, 25);
    EXPECT_TRUE(all.options.autoSpeed);
    EXPECT_TRUE(all.options.log);
    EXPECT_TRUE(all.options.speedGiven);
    EXPECT_TRUE(parseDecodeCommandLine({"--best", "a.wav"}).options.automatic);
    ASSERT_TRUE(all.options.startUtcMs);
    EXPECT_EQ(*all.options.startUtcMs, 1796630405000LL);

    // Spots come from the band decoder, which they turn on.
    const ParsedCommandLine spots = parseDecodeCommandLine(
        {"--spots", "--dial", "7025.5", "--lsb", "--spotter", "DL0XX", "--spot-port", "7300", "a.wav"});
    ASSERT_EQ(spots.error, "");
    EXPECT_TRUE(spots.options.band);
    EXPECT_EQ(spots.options.dialKHz, 7025.5);
    EXPECT_TRUE(spots.options.lowerSideband);
    EXPECT_EQ(spots.options.spotter, "DL0XX");
    EXPECT_EQ(spots.options.spotPort, 7300);
}

TEST(DecodeOptions, WrongCommandLinesSayWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no recording given"},
        {{"a.wav", "b.wav"}, "only one recording"},
        {{"--filter", "75", "a.wav"}, "--filter must be 50 or 100"},
        {{"--button", "0", "a.wav"}, "--button must be"},
        {{"--button", "33", "a.wav"}, "--button must be"},
        {{"--threshold", "100.5", "a.wav"}, "--threshold must be"},
        {{"--threshold", "-1", "a.wav"}, "--threshold must be"},
        {{"--threshold", "half", "a.wav"}, "--threshold must be"},
        {{"--wpm", "4", "a.wav"}, "--wpm must be"},
        {{"--wpm", "61", "a.wav"}, "--wpm must be"},
        {{"--tone", "19", "a.wav"}, "--tone must be"},
        {{"--tone", "1601", "a.wav"}, "--tone must be"},
        {{"--tone", "700", "--button", "3", "a.wav"}, "either --tone or --button"},
        {{"--start", "2026-13-01T00:00:00", "a.wav"}, "--start must be"},
        {{"--start", "yesterday", "a.wav"}, "--start must be"},
        {{"a.wav", "--wpm"}, "--wpm needs a value"},
        {{"--log=yes", "a.wav"}, "--log takes no value"},
        {{"--speed", "20", "a.wav"}, "unknown option '--speed'"},
        {{"--spots", "a.wav"}, "give --dial KHZ"},
        {{"--spot-port", "7300", "--device", "USB"}, "give --dial KHZ"},
        {{"--spot-port", "0", "--dial", "14025", "a.wav"}, "--spot-port must be"},
        {{"--spots", "--dial", "14 MHz", "a.wav"}, "--dial must be"},
        {{"--spots", "--dial", "14025", "--best", "a.wav"}, "--spots goes with neither"},
        {{"--dial", "14025", "a.wav"}, "--dial and --lsb go with --spots"},
        // An unset shell variable: "$FILE" gives an empty argument.
        {{"--wpm", "5", ""}, "the recording's name is empty"},
        {{"", "--device", "USB"}, "the recording's name is empty"},
    };
    for (const auto& [arguments, message] : cases) {
        const ParsedCommandLine parsed = parseDecodeCommandLine(arguments);
        EXPECT_NE(parsed.error.find(message), std::string::npos)
            << "expected \"" << message << "\", got \"" << parsed.error << "\"";
    }
}

// Button K is labelled 50 K Hz but watches bin K at 46.875 Hz steps (50 Hz
// filter) or bin ceil(K / 2) at 93.75 Hz steps (100 Hz filter).
TEST(DecodeOptions, ToneChoosesTheButtonWatchingTheNearestBin) {
    struct Case {
        double toneHz;
        int filterHz;
        int button;
    };
    const Case cases[] = {
        {550, 50, 12},  {515.625, 50, 11}, {700, 50, 15},  {1600, 50, 32},  {20, 50, 1},
        {550, 100, 11}, {600, 100, 12},    {700, 100, 14}, {93.75, 100, 2}, {1500, 100, 31},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nearestToneButton(c.toneHz, c.filterHz), c.button)
            << c.toneHz << " Hz, " << c.filterHz << " Hz filter";
        const ParsedCommandLine parsed =
            parseDecodeCommandLine({"--filter", std::to_string(c.filterHz), "--tone", std::to_string(c.toneHz), "x"});
        EXPECT_EQ(parsed.options.toneButton, c.button);
    }
}

}  // namespace
}  // namespace ditdahl::decode
