#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "sndfile/AudioFileReader.h"
#include "sndfile/WavWriter.h"
#include "support/TempDir.h"

namespace ditdahl {
namespace {

using testing::readFileBytes;
using testing::TempDir;

std::vector<std::int16_t> readAll(AudioFileReader& reader) {
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> frames(2 * 1000);
    while (const std::size_t got = reader.read(frames.data(), 1000)) {
        all.insert(all.end(), frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(2 * got));
    }
    return all;
}

// A recording in memory is read exactly as the same bytes in a file: the
// fuzz target reads through openMemory, ditdahl-decode through open.
TEST(AudioFileReader, ARecordingInMemoryReadsAsTheSameFile) {
    struct Case {
        int rate;
        int channels;
    };
    for (const Case c : {Case{6000, 2}, Case{8000, 1}, Case{44100, 2}}) {
        TempDir dir;
        const std::string path = dir.file("tone.wav");
        std::string error;
        auto writer = WavWriter::create(path, c.rate, c.channels, error);
        ASSERT_TRUE(writer) << error;
        std::vector<float> samples;
        for (int i = 0; i < c.rate / 2; ++i) {
            for (int channel = 0; channel < c.channels; ++channel) {
                samples.push_back(0.5f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 600.0 * i / c.rate)));
            }
        }
        ASSERT_TRUE(writer->write(samples));
        ASSERT_TRUE(writer->finish(error)) << error;

        AudioFileReader fromFile;
        ASSERT_EQ(fromFile.open(path), "");
        AudioFileReader fromMemory;
        ASSERT_EQ(fromMemory.openMemory(readFileBytes(path)), "");
        EXPECT_EQ(fromMemory.fileRate(), c.rate);
        EXPECT_EQ(fromMemory.fileChannels(), c.channels);
        EXPECT_EQ(fromMemory.durationSeconds(), fromFile.durationSeconds());
        const auto expected = readAll(fromFile);
        EXPECT_NEAR(static_cast<double>(expected.size()), 2 * 3000.0, 2 * 64.0) << c.rate;
        EXPECT_EQ(readAll(fromMemory), expected) << c.rate;
        EXPECT_EQ(fromMemory.error(), "");
    }
}

TEST(AudioFileReader, BytesThatAreNoRecordingSaySo) {
    for (const std::string& bytes : {std::string(), std::string("RIFF"), std::string(100, '\0')}) {
        AudioFileReader reader;
        EXPECT_NE(reader.openMemory(bytes), "") << bytes.size();
    }
}

}  // namespace
}  // namespace ditdahl
