// Capture through PortAudio over ALSA, from input devices of a test-only ALSA
// configuration that read FIFOs played in real time. No sound card is touched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "AlsaSandbox.h"
#include "FifoFeeder.h"
#include "audio/Recorder.h"
#include "portaudio/PortAudioWaveIn.h"
#include "station/ControlIds.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

using namespace std::chrono_literals;
using testing::AfterAudio;
using testing::AlsaSandbox;
using testing::FifoFeeder;
using testing::TestStation;

constexpr int countTo = 30000;

// Frames whose left sample counts from 0 to countTo - 1 and whose right sample
// is its negative, so that each delivered frame shows where it came from.
std::vector<std::int16_t> countingFrames() {
    std::vector<std::int16_t> frames;
    for (int k = 0; k < countTo; ++k) {
        frames.push_back(static_cast<std::int16_t>(k));
        frames.push_back(static_cast<std::int16_t>(-k));
    }
    return frames;
}

struct Blocks {
    std::mutex mutex;
    std::vector<std::vector<std::int16_t>> received;
    std::size_t count() {
        std::lock_guard lock(mutex);
        return received.size();
    }
};

TEST(PortAudioCapture, DeliversTheInputsFramesExactlyInBlocksOfTheChosenSize) {
    struct Case {
        const char* name;
        int blockFrames;
        bool bySelection;  // otherwise no selection: the default input
    };
    const Case cases[] = {{"selected, 64 frames", 64, true},
                          {"selected, 128 frames", 128, true},
                          {"default input, 64 frames", 64, false}};
    AlsaSandbox alsa;
    FifoFeeder first(alsa.file("first.fifo"), countingFrames(), AfterAudio::Repeat);
    FifoFeeder counting(alsa.file("counting.fifo"), countingFrames(), AfterAudio::Repeat);
    ASSERT_TRUE(first.ok() && counting.ok());
    alsa.addFileInput("ditdahl_first", alsa.file("first.fifo"));
    alsa.addFileInput("ditdahl_counting", alsa.file("counting.fifo"), true);

    PortAudioWaveIn device;
    ASSERT_TRUE(device.available());
    const auto names = device.deviceNames();
    const auto found = std::find(names.begin(), names.end(), "ditdahl_counting");
    ASSERT_NE(found, names.end());
    EXPECT_LT(std::find(names.begin(), names.end(), "ditdahl_first"), found) << "PortAudio's order";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestStation station;
        station.state.fftSize = c.blockFrames;
        for (const auto& name : names) station.window.addEntry(ids::inputList, name);
        if (c.bySelection) station.window.select(ids::inputList, static_cast<int>(found - names.begin()));

        Blocks blocks;
        Recorder recorder(station.state, device);
        recorder.setHandler([&, frames = c.blockFrames](const std::int16_t* block) {
            std::lock_guard lock(blocks.mutex);
            blocks.received.emplace_back(block, block + 2 * frames);
        });
        ASSERT_EQ(recorder.open(station.window.selectedIndex(ids::inputList)), WaveResult::ok);
        EXPECT_EQ(device.openedFormat(), "6000 frames/s, 2 channels");
        recorder.start();
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (blocks.count() < 30 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
        recorder.close();

        // Every block is exact: consecutive frames of what was played. Where
        // the program kept up, each block continues the one before.
        std::lock_guard lock(blocks.mutex);
        ASSERT_GE(blocks.received.size(), 30u);
        EXPECT_GT(std::count_if(blocks.received.begin(), blocks.received.end(),
                                [](const auto& block) { return block[2] != 0; }),
                  20);
        int continued = 0;
        int previousEnd = -1;
        for (const auto& block : blocks.received) {
            // The silence the player starts with.
            if (block[0] == 0 && block[2] == 0) continue;
            const int start = block[0];
            for (int k = 0; k < c.blockFrames; ++k) {
                ASSERT_EQ(block[2 * k], (start + k) % countTo) << "block at " << start;
                ASSERT_EQ(block[2 * k + 1], -block[2 * k]) << "block at " << start;
            }
            if (start == previousEnd) ++continued;
            previousEnd = (start + c.blockFrames) % countTo;
        }
        EXPECT_GT(continued, 0);
    }
}

TEST(PortAudioCapture, KeepsTheSoundSystemsMessagesOffTheTerminal) {
    AlsaSandbox alsa;
    // An input whose file is missing makes ALSA complain while PortAudio
    // probes it.
    alsa.addFileInput("ditdahl_missing", alsa.file("missing.raw"));
    const std::string captured = alsa.file("stderr.txt");
    const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file, STDERR_FILENO);
    {
        PortAudioWaveIn device;
        TestStation station;
        station.state.fftSize = 64;
        Recorder recorder(station.state, device);
        recorder.open();
        recorder.start();
        recorder.close();
    }
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(file);
    EXPECT_EQ(testing::readFileBytes(captured), "");
}

}  // namespace
}  // namespace ditdahl
