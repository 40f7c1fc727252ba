// Capture through PortAudio over ALSA, from input devices of a test-only ALSA
// configuration that read files. No sound card is touched.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "AlsaSandbox.h"
#include "audio/Recorder.h"
#include "platform/portaudio/PortAudioWaveIn.h"
#include "shell/ControlIds.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

using namespace std::chrono_literals;
using testing::AlsaSandbox;
using testing::TestStation;

constexpr int fileFrames = 24000;

// Raw frames whose left sample counts up from 0 and whose right sample is its
// negative, so that each delivered frame shows where it came from.
std::string countingFrames(int frames) {
    std::string bytes;
    for (int k = 0; k < frames; ++k) {
        const auto left = static_cast<std::int16_t>(k % 30000);
        const auto right = static_cast<std::int16_t>(-left);
        bytes.append(reinterpret_cast<const char*>(&left), 2);
        bytes.append(reinterpret_cast<const char*>(&right), 2);
    }
    return bytes;
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
    testing::writeFileBytes(alsa.file("counting.raw"), countingFrames(fileFrames));
    alsa.addFileInput("ditdahl_first", alsa.file("counting.raw"));
    alsa.addFileInput("ditdahl_counting", alsa.file("counting.raw"), true);

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
        ASSERT_EQ(recorder.open(), WaveResult::ok);
        EXPECT_EQ(device.openedFormat(), "6000 frames/s, 2 channels");
        recorder.start();
        // A plain file is read as fast as the program takes it.
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (blocks.count() < 40 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
        recorder.close();

        // Blocks come in order; a block the program had no buffer for is
        // dropped whole, so every block delivered is exact.
        std::lock_guard lock(blocks.mutex);
        ASSERT_GE(blocks.received.size(), 40u);
        int previousStart = -1;
        int exact = 0;
        for (const auto& block : blocks.received) {
            const int start = block[0];
            if (start <= previousStart || start + c.blockFrames > fileFrames) break;  // past the end of the file
            EXPECT_EQ(start % c.blockFrames, 0);
            for (int k = 0; k < c.blockFrames; ++k) {
                ASSERT_EQ(block[2 * k], start + k) << "block at " << start;
                ASSERT_EQ(block[2 * k + 1], -(start + k)) << "block at " << start;
            }
            previousStart = start;
            ++exact;
        }
        EXPECT_GE(exact, 40);
        EXPECT_EQ(blocks.received.front()[0], 0);
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
