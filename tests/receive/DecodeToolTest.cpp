// ditdahl-decode run as a user runs it, on recordings made in the test.
#include <gtest/gtest.h>
#include <samplerate.h>
#include <sndfile.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/RunTool.h"
#include "support/TempDir.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

using testing::TempDir;
using testing::ToolRun;

constexpr const char* text = "CQ CQ DE DL1ABC PSE K";

// Runs the tool with standard input from a file holding input.
ToolRun runTool(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& input = "") {
    testing::writeFileBytes(dir.file("stdin"), input);
    return testing::runTool(DECODE_TOOL, arguments, dir.file("stdin"), dir.file("stdout"), dir.file("stderr"));
}

// Writes mono samples (16-bit units) as a recording of the given rate,
// channels (the signal on the first) and format.
void writeRecording(const std::string& path, std::vector<double> samples, int rate = 6000, int channels = 1,
                    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    if (rate != 6000) {
        std::vector<float> in(samples.begin(), samples.end()), out(samples.size() * rate / 6000 + 64);
        SRC_DATA data{};
        data.data_in = in.data();
        data.input_frames = static_cast<long>(in.size());
        data.data_out = out.data();
        data.output_frames = static_cast<long>(out.size());
        data.src_ratio = rate / 6000.0;
        data.end_of_input = 1;
        ASSERT_EQ(src_simple(&data, SRC_SINC_FASTEST, 1), 0);
        samples.assign(out.begin(), out.begin() + data.output_frames_gen);
    }
    const std::vector<std::int16_t> mono = synthesis::toMono16(samples);
    std::vector<float> frames(mono.size() * static_cast<std::size_t>(channels), 0.0f);
    for (std::size_t i = 0; i < mono.size(); ++i) frames[i * static_cast<std::size_t>(channels)] = mono[i] / 32768.0f;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, frames.data(), static_cast<sf_count_t>(mono.size()));
    sf_close(file);
}

std::vector<double> keyed(const char* words, double wpm, double toneHz, double snrDb) {
    synthesis::KeyingPlan plan;
    plan.wpm = wpm;
    plan.toneHz = toneHz;
    std::vector<double> samples = synthesis::keyedTone(words, plan);
    synthesis::NoiseGenerator noise(11);
    if (snrDb < 100) synthesis::addNoise(samples, plan.amplitude, snrDb, plan.sampleRate, noise);
    return samples;
}

TEST(DecodeTool, DecodesA20WpmRecordingAt550HzWithLightNoise) {
    TempDir dir;
    writeRecording(dir.file("qso.wav"), keyed(text, 20, 550, 20));
    const ToolRun run = runTool(dir, {"--wpm", "20", dir.file("qso.wav")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, std::string(text) + " \n");
    EXPECT_EQ(run.err, "");
}

TEST(DecodeTool, ReadsAnyRateChannelsAndFormat) {
    struct Case {
        const char* name;
        int rate;
        int channels;
        int format;
    };
    const Case cases[] = {
        {"a.wav", 6000, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {"b.flac", 48000, 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"c.wav", 44100, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"d.wav", 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeRecording(dir.file(c.name), keyed(text, 20, 550, 20), c.rate, c.channels, c.format);
        const ToolRun run = runTool(dir, {"--wpm", "20", dir.file(c.name)});
        EXPECT_EQ(run.exitCode, 0) << c.name << ": " << run.err;
        EXPECT_EQ(run.out, std::string(text) + " \n") << c.name;
    }
}

TEST(DecodeTool, ReadsWavFromStandardInput) {
    TempDir dir;
    writeRecording(dir.file("qso.wav"), keyed(text, 20, 550, 20));
    const ToolRun run = runTool(dir, {"--wpm", "20", "-"}, testing::readFileBytes(dir.file("qso.wav")));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, std::string(text) + " \n");
}

TEST(DecodeTool, ToneOptionSaysWhichButtonItWatches) {
    struct Case {
        std::vector<std::string> options;
        std::string says;
    };
    const Case cases[] = {
        {{"--tone", "700"}, "700 Hz: tone button 15 (750 Hz), which watches 703.1 Hz with the 50 Hz filter"},
        {{"--tone", "700", "--filter", "100"},
         "700 Hz: tone button 14 (700 Hz), which watches 656.2 Hz with the 100 Hz filter"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeRecording(dir.file("qso.wav"), keyed(text, 20, 700, 20));
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {"--wpm", "20", dir.file("qso.wav")});
        const ToolRun run = runTool(dir, arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, std::string(text) + " \n");
    }
}

TEST(DecodeTool, LogPrintsTrafficLinesWithTimeAndLabel) {
    TempDir dir;
    const std::string words = "CQ CQ CQ DE DL1ABC DL1ABC DL1ABC PSE K CQ CQ CQ DE DL1ABC DL1ABC PSE K";
    writeRecording(dir.file("qso.wav"), keyed(words.c_str(), 25, 550, 20));
    const ToolRun run = runTool(dir, {"--wpm", "25", "--log", "--start", "2026-12-07T08:00:00", dir.file("qso.wav")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::regex line(R"(07\.12\.26 08:0[0-1]:\d\d RX:   [A-Z0-9 ]*[A-Z0-9]\n)");
    std::string rest = run.out, joined;
    std::smatch match;
    int lines = 0;
    while (std::regex_search(rest, match, line, std::regex_constants::match_continuous)) {
        joined += match.str().substr(24, match.length() - 25);
        EXPECT_LE(match.length() - 25, 61) << match.str();
        rest = match.suffix();
        ++lines;
    }
    EXPECT_EQ(rest, "") << run.out;
    EXPECT_EQ(lines, 2) << run.out;
    // A line is cut where it passes 60 characters, not between words, and
    // loses the blanks at its ends.
    std::string unspaced = words;
    std::erase(unspaced, ' ');
    std::erase(joined, ' ');
    EXPECT_EQ(joined, unspaced);
}

// Without --start the recording is taken to have ended when the file was
// last written.
TEST(DecodeTool, LogTimesComeFromTheFileWithoutStart) {
    TempDir dir;
    const std::string path = dir.file("qso.wav");
    writeRecording(path, keyed("TEST DE DL1ABC", 25, 550, 20));
    using namespace std::chrono;
    const sys_seconds written = sys_days{2026y / December / 7} + 8h + 30s;
    std::filesystem::last_write_time(path, file_clock::from_sys(written));
    const ToolRun run = runTool(dir, {"--wpm", "25", "--log", path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(R"(07\.12\.26 08:00:3[0-2] RX:   TEST DE DL1ABC\n)"))) << run.out;
}

TEST(DecodeTool, WrongInputsFailWithAClearMessage) {
    TempDir dir;
    testing::writeFileBytes(dir.file("notes.txt"), "these are not samples\n");
    writeRecording(dir.file("ok.wav"), keyed("E", 20, 550, 20));
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string says;
    };
    const Case cases[] = {
        {{dir.file("missing.wav")}, 1, "missing.wav': no such file"},
        {{dir.file("notes.txt")}, 1, "is not an audio file that can be read"},
        {{dir.path().string()}, 1, "is a directory"},
        {{"-"}, 1, "standard input is not a readable audio stream"},
        {{"--threshold", "150", dir.file("ok.wav")}, 2, "--threshold must be a percentage from 0 to 100"},
        {{"--filter", "200", dir.file("ok.wav")}, 2, "--filter must be 50 or 100"},
        {{"--bogus", dir.file("ok.wav")}, 2, "unknown option '--bogus'"},
        {{}, 2, "no recording given"},
    };
    for (const Case& c : cases) {
        const ToolRun run = runTool(dir, c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << c.says;
    }
}

TEST(DecodeTool, HelpAndVersion) {
    TempDir dir;
    const ToolRun help = runTool(dir, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: ditdahl-decode", 0), 0u);
    for (const char* option :
         {"--tone", "--button", "--filter", "--threshold", "--wpm", "--auto-speed", "--log", "--start", "--version"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const ToolRun version = runTool(dir, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex(R"(ditdahl-decode \d+\.\d+\.\d+\n)"))) << version.out;
}

TEST(DecodeTool, BestFindsToneAndSpeedByItself) {
    // 27 wpm at 833 Hz in noise, nothing said about either.
    TempDir dir;
    writeRecording(dir.file("qso.wav"), keyed(text, 27, 833, 0));
    const ToolRun plain = runTool(dir, {"--best", dir.file("qso.wav")});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, std::string(text) + " \n");
    EXPECT_EQ(plain.err, "");
    // With hints, and as traffic lines.
    const ToolRun logged = runTool(dir, {"--best", "--tone", "840", "--wpm", "25", "--log", "--start",
                                         "2026-12-07T08:00:00", dir.file("qso.wav")});
    EXPECT_EQ(logged.exitCode, 0) << logged.err;
    EXPECT_TRUE(std::regex_match(logged.out, std::regex("07\\.12\\.26 08:00:\\d\\d RX:   CQ CQ DE DL1ABC PSE K\n")))
        << logged.out;
}

TEST(DecodeTool, BandPrintsEverySignalsTextOrTheCallsHeard) {
    // Two stations 300 Hz apart, both in light noise.
    TempDir dir;
    std::vector<double> both = keyed(text, 22, 600, 10);
    const std::vector<double> other = keyed("CQ TEST OK1XYZ OK1XYZ TEST", 26, 900, 10);
    both.resize(std::max(both.size(), other.size()), 0.0);
    for (std::size_t i = 0; i < other.size(); ++i) both[i] += other[i];
    writeRecording(dir.file("band.wav"), both);

    const ToolRun band = runTool(dir, {"--band", dir.file("band.wav")});
    EXPECT_EQ(band.exitCode, 0) << band.err;
    EXPECT_TRUE(std::regex_search(band.out, std::regex("s 600 Hz 22 wpm \\d+ dB: CQ CQ DE DL1ABC PSE K\n")))
        << band.out;
    EXPECT_TRUE(std::regex_search(band.out, std::regex("s 900 Hz 26 wpm \\d+ dB: CQ TEST OK1XYZ OK1XYZ TEST\n")))
        << band.out;

    // Lower sideband: the tones lie under the dial.
    const ToolRun spots =
        runTool(dir, {"--spots", "--dial", "7030", "--lsb", "--start", "2026-12-07T08:00:00", dir.file("band.wav")});
    EXPECT_EQ(spots.exitCode, 0) << spots.err;
    EXPECT_TRUE(std::regex_search(spots.out, std::regex("DX de DITDAHL-#: +7029\\.4  DL1ABC .* 22 WPM  CQ +0800Z\n")))
        << spots.out;
    EXPECT_TRUE(std::regex_search(spots.out, std::regex("DX de DITDAHL-#: +7029\\.1  OK1XYZ .* 26 WPM  CQ +0800Z\n")))
        << spots.out;
}

}  // namespace
}  // namespace ditdahl
