#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "support/RunTool.h"
#include "support/TempDir.h"

namespace ditdahl {
namespace {

using testing::TempDir;
using testing::ToolRun;

// Runs the tool with standard input from a file holding input.
ToolRun runTool(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& input = "") {
    testing::writeFileBytes(dir.file("stdin"), input);
    return testing::runTool(ENCODE_TOOL, arguments, dir.file("stdin"), dir.file("stdout"), dir.file("stderr"));
}

struct Wav {
    int rate = 0;
    int channels = 0;
    std::vector<short> samples;  // interleaved
    std::vector<double> left() const {
        std::vector<double> l;
        for (std::size_t i = 0; i < samples.size(); i += 2) l.push_back(samples[i] / 32768.0);
        return l;
    }
};

Wav readWav(const std::string& path) {
    Wav wav;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return wav;
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    wav.rate = info.samplerate;
    wav.channels = info.channels;
    wav.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_short(file, wav.samples.data(), info.frames);
    sf_close(file);
    return wav;
}

// Key-down spans in ms, found where the tone (1500 Hz at 6000 Hz, a crest on
// every odd sample) passes half its level of 0.5.
std::vector<std::pair<int, int>> marks(const std::vector<double>& left, int rate) {
    std::vector<std::pair<int, int>> spans;
    bool on = false;
    int start = 0;
    for (std::size_t n = 1; n < left.size(); n += 2) {
        const bool loud = std::fabs(left[n]) > 0.25;
        if (loud && !on) start = static_cast<int>(n);
        if (!loud && on) spans.push_back({start * 1000 / rate, static_cast<int>(n) * 1000 / rate});
        on = loud;
    }
    return spans;
}

TEST(EncodeTool, KeysTheTextWithTheKeyersTiming) {
    TempDir dir;
    const std::string wav = dir.file("a.wav");
    // A at 20 wpm: 60 on, 60 off, 180 on, after 500 ms of lead-in.
    ASSERT_EQ(runTool(dir, {"--tone", "1500", "-o", wav, "a"}).exitCode, 0);
    const Wav a = readWav(wav);
    EXPECT_EQ(a.rate, 6000);
    EXPECT_EQ(a.channels, 2);
    // Lead-in, A (504 ms), the closing 9 dots and a second.
    EXPECT_EQ(a.samples.size(), 2u * 6 * (500 + 504 + 540 + 1000));
    for (std::size_t i = 0; i < a.samples.size(); i += 2) ASSERT_EQ(a.samples[i], a.samples[i + 1]) << i;
    const std::vector<std::pair<int, int>> expected{{500, 560}, {620, 800}};
    auto spans = marks(a.left(), 6000);
    ASSERT_EQ(spans.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(spans[i].first, expected[i].first, 2) << i;
        EXPECT_NEAR(spans[i].second, expected[i].second, 2) << i;
    }

    // Speed, delay and rate; text from a file and from standard input.
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        int rate;
        std::size_t framesMs;  // from the timing table: E 264 at 20 wpm, 120 + 120 + 288 at 10
    };
    testing::writeFileBytes(dir.file("e.txt"), "e");
    const Case cases[] = {
        {{"--wpm", "10", "e"}, "", 6000, 500 + 528 + 1080 + 1000},
        {{"--delay", "2000", "e"}, "", 6000, 500 + 264 + 2000 + 540 + 1000},
        {{"--rate", "48000", "e"}, "", 48000, 500 + 264 + 540 + 1000},
        {{"--rate", "8000", "--file", dir.file("e.txt")}, "", 8000, 500 + 264 + 540 + 1000},
        {{}, "ee", 6000, 500 + 264 + 264 + 540 + 1000},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"-o", wav};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ToolRun run = runTool(dir, arguments, c.input);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Wav w = readWav(wav);
        EXPECT_EQ(w.rate, c.rate);
        EXPECT_EQ(w.samples.size(), 2 * c.framesMs * static_cast<std::size_t>(c.rate) / 1000) << c.input;
    }
}

TEST(EncodeTool, NoiseIsSeededAndAtTheAskedLevel) {
    TempDir dir;
    const std::string first = dir.file("1.wav"), second = dir.file("2.wav");
    ASSERT_EQ(runTool(dir, {"--noise-snr", "0", "-o", first, "e"}).exitCode, 0);
    ASSERT_EQ(runTool(dir, {"--noise-snr", "0", "-o", "-", "e"}).exitCode, 0);
    const ToolRun toStdout = runTool(dir, {"--noise-snr", "0", "-o", "-", "e"});
    ASSERT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, testing::readFileBytes(first));
    ASSERT_EQ(runTool(dir, {"--noise-snr", "0", "-o", second, "e"}).exitCode, 0);
    EXPECT_EQ(testing::readFileBytes(first), testing::readFileBytes(second));

    // 0 dB in 2500 Hz: the tone's power 0.5^2/2 over 2500 of the 3000 Hz band.
    const auto left = readWav(first).left();
    double power = 0.0;
    const std::size_t leadIn = 6 * 500;
    for (std::size_t n = 0; n < leadIn; ++n) power += left[n] * left[n];
    power /= leadIn;
    EXPECT_NEAR(power, 0.125 * 3000.0 / 2500.0, 0.125 * 0.1);
}

TEST(EncodeTool, SaysWhatIsWrongAndFailsCleanly) {
    TempDir dir;
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* saying;
    };
    const Case cases[] = {
        {{"--wpm", "40", "-o", dir.file("x.wav"), "hi"}, 2, "--wpm must be a whole number from 10 to 30"},
        {{"hi"}, 2, "no output file"},
        {{"--bogus"}, 2, "unknown option --bogus"},
        {{"-o", dir.file("x.wav"), "--file", dir.file("missing.txt")}, 1, "cannot read the text file"},
        {{"-o", dir.file("no/such/folder/x.wav"), "hi"}, 1, "cannot write"},
    };
    for (const Case& c : cases) {
        const ToolRun run = runTool(dir, c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.saying;
        EXPECT_NE(run.err.find(c.saying), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.wav")));

    const ToolRun help = runTool(dir, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: ditdahl-encode"), std::string::npos);
    const ToolRun version = runTool(dir, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("ditdahl-encode ", 0), 0u);
}

}  // namespace
}  // namespace ditdahl
