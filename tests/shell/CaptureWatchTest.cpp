// The window keeps an eye on capture once a second: an input that stops
// delivering (unplugged, a sound server gone) is started again, and again at
// growing intervals while it stays away, until it delivers once more.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "audio/Recorder.h"
#include "doubles/ScriptedWaveIn.h"
#include "shell/MainWindow.h"
#include "support/Station.h"
#include "support/TempDir.h"

namespace ditdahl {
namespace {

TEST(CaptureWatch, StalledCaptureIsStartedAgainUntilTheInputIsBack) {
    testing::TempDir dir;
    testing::TestStation station;
    station.state.openKeyLine = [](int) { return nullptr; };
    ScriptedWaveIn device({"USB codec"});
    Recorder recorder(station.state, device);
    MainWindowParts parts;
    parts.waveIn = &device;
    parts.recorder = &recorder;
    parts.startDirectory = dir.path().string();
    parts.captureStallSeconds = 3;
    MainWindow window(station.state, std::move(parts));
    device.feed(std::vector<std::int16_t>(2 * 6000 * 60));
    window.onInit();
    // About a second of audio, block by block, every block handled before
    // the window looks: none may still be on its way when the input stops.
    const auto deliverASecond = [&] {
        const int blockFrames = station.state.fftSize.load();
        for (int frames = 0; frames < 6000; frames += blockFrames) {
            const std::uint64_t before = recorder.blocksHandled();
            device.arrive(blockFrames);
            while (recorder.blocksHandled() == before) std::this_thread::yield();
        }
    };
    ASSERT_TRUE(recorder.isRunning());
    const int opensAtStart = device.activity().opens;

    // Audio flows: nothing happens.
    for (int second = 0; second < 5; ++second) {
        deliverASecond();
        window.onSecond();
    }
    EXPECT_EQ(device.activity().opens, opensAtStart);

    // The input delivers nothing more and, once restarted, cannot be opened
    // for a while: attempts after 3, then 6, 12 and 24 seconds.
    std::vector<int> attempts;
    for (int second = 1; second <= 60; ++second) {
        const int opens = device.activity().opens + device.activity().failedOpens;
        if (second == 4) device.failOpens(WaveResult::noDevice);
        window.onSecond();
        if (device.activity().opens + device.activity().failedOpens != opens) attempts.push_back(second);
    }
    EXPECT_EQ(attempts, (std::vector<int>{3, 9, 21, 45}));
    // Back: taken up at the next attempt, and then left alone while it
    // delivers.
    device.failOpens(WaveResult::ok);
    for (int second = 0; second < 48 && !recorder.isRunning(); ++second) window.onSecond();
    ASSERT_TRUE(recorder.isRunning());
    const int opens = device.activity().opens;
    for (int second = 0; second < 10; ++second) {
        deliverASecond();
        window.onSecond();
    }
    EXPECT_EQ(device.activity().opens, opens);
    const std::string log = testing::readFileBytes(dir.file("Ditdahl.log"));
    EXPECT_EQ(log.find("Audio reset (input stalled)"), log.rfind("Audio reset (input stalled)")) << "said once";
    EXPECT_NE(log.find("Audio reset (input stalled)"), std::string::npos);
}

}  // namespace
}  // namespace ditdahl
