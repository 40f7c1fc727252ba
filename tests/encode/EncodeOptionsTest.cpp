#include <gtest/gtest.h>

#include "EncodeOptions.h"

namespace ditdahl::encode {
namespace {

TEST(EncodeOptions, TakesEveryOptionAndTheWordsOfTheText) {
    const auto parsed = parseEncodeCommandLine({"--wpm", "30", "-o", "out.wav", "cq", "--tone", "700.5", "--delay",
                                                "500", "--rate", "48000", "--noise-snr", "-3", "de", "--", "--x"});
    ASSERT_EQ(parsed.error, "");
    const EncodeOptions& o = parsed.options;
    EXPECT_EQ(o.text, "cq de --x");
    EXPECT_TRUE(o.haveText);
    EXPECT_EQ(o.output, "out.wav");
    EXPECT_EQ(o.speedWpm, 30);
    EXPECT_EQ(o.toneHz, 700.5);
    EXPECT_EQ(o.delayMs, 500);
    EXPECT_EQ(o.sampleRate, 48000);
    ASSERT_TRUE(o.noiseSnrDb.has_value());
    EXPECT_EQ(*o.noiseSnrDb, -3.0);

    const auto defaults = parseEncodeCommandLine({"--output", "-"});
    ASSERT_EQ(defaults.error, "");
    EXPECT_EQ(defaults.options.output, "-");
    EXPECT_FALSE(defaults.options.haveText);
    EXPECT_EQ(defaults.options.speedWpm, 20);
    EXPECT_EQ(defaults.options.sampleRate, 6000);
    EXPECT_FALSE(defaults.options.noiseSnrDb.has_value());

    EXPECT_TRUE(parseEncodeCommandLine({"--help"}).showHelp);
    EXPECT_TRUE(parseEncodeCommandLine({"--version", "--wpm", "99"}).error.size() > 0);
    EXPECT_TRUE(parseEncodeCommandLine({"--version"}).showVersion);
}

TEST(EncodeOptions, RefusesWhatCannotBeRendered) {
    struct Case {
        std::vector<std::string> arguments;
        const char* saying;
    };
    const Case cases[] = {
        {{"hi"}, "no output file"},
        {{"-o", "a.wav", "--wpm", "9", "hi"}, "--wpm must be"},
        {{"-o", "a.wav", "--wpm", "31"}, "--wpm must be"},
        {{"-o", "a.wav", "--wpm", "20x"}, "--wpm must be"},
        {{"-o", "a.wav", "--delay", "300"}, "--delay must be"},
        {{"-o", "a.wav", "--rate", "44100"}, "--rate must be"},
        {{"-o", "a.wav", "--tone", "0"}, "--tone must be"},
        {{"-o", "a.wav", "--tone", "abc"}, "--tone must be"},
        {{"-o", "a.wav", "--tone", "3000"}, "below half the sample rate"},
        {{"-o", "a.wav", "--noise-snr", "nan"}, "--noise-snr must be"},
        {{"-o", "a.wav", "--noise-snr"}, "needs a value"},
        {{"-o", "a.wav", "--speed", "20"}, "unknown option --speed"},
        {{"-o", "a.wav", "--file", "t.txt", "hi"}, "not both"},
        {{"-o", ""}, "output file name is empty"},
    };
    for (const Case& c : cases) {
        const auto parsed = parseEncodeCommandLine(c.arguments);
        EXPECT_NE(parsed.error.find(c.saying), std::string::npos) << c.saying << " / " << parsed.error;
    }
    EXPECT_EQ(parseEncodeCommandLine({"-o", "a.wav", "--tone", "2999", "--rate", "6000"}).error, "");
    EXPECT_EQ(parseEncodeCommandLine({"-o", "a.wav", "--tone", "2999", "--rate", "8000"}).error, "");
}

}  // namespace
}  // namespace ditdahl::encode
