#include <gtest/gtest.h>

#include <chrono>

#include "analysis/SpectrumBars.h"
#include "audio/Capture.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "doubles/ScriptedWaveIn.h"
#include "station/ControlIds.h"
#include "support/Station.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

using namespace std::chrono_literals;

TEST(Capture, DecodesKeyedAudioThroughTheRecorderWithEitherFilter) {
    for (const int filterHz : {100, 50}) {
        SCOPED_TRACE(filterHz);
        testing::TestStation station;
        StationState& state = station.state;
        state.barRange = 32768;
        state.filterWidth = filterHz;
        state.fftSize = fftSizeForFilter(filterHz);
        state.thresholdPercent = 50.0;
        state.txSpeedWpm = 20;
        applyTxSpeedToReceive(state);
        selectTone(state, 600);

        synthesis::KeyingPlan keying;
        keying.wpm = 20;
        keying.toneHz = 600;
        const auto audio = synthesis::toStereo16(synthesis::keyedTone("PARIS CQ", keying));
        ScriptedWaveIn device;
        device.feed(audio);
        Recorder recorder(state, device);
        KeyDetector detector;

        startCapture(state, recorder, detector, WaveIn::defaultDevice);
        ASSERT_TRUE(recorder.isRunning());
        // Block by block, the clock moved on by the audio's length, each block
        // analysed before the next arrives.
        const auto blockFrames = static_cast<std::uint32_t>(state.fftSize);
        long long frames = 0;
        while (static_cast<std::size_t>(frames + blockFrames) * 2 <= audio.size()) {
            const long long before = frames * 1000 / 6000;
            frames += blockFrames;
            station.clock.advance(static_cast<std::uint32_t>(frames * 1000 / 6000 - before));
            ASSERT_EQ(device.arrive(blockFrames), 1);
            ASSERT_TRUE(device.waitForQueued(16, 10s));
        }
        stopCapture(recorder);

        EXPECT_EQ(station.window.text(ids::rxTxBuffer), "PARIS CQ ");
        const auto activity = device.activity();
        EXPECT_EQ(activity.lastFramesPerBuffer, blockFrames);
        EXPECT_EQ(activity.closes, 1);
        EXPECT_FALSE(recorder.isOpen());
    }
}

TEST(Capture, StopWithoutCaptureAndRestartsOnTheNewBlockSize) {
    testing::TestStation station;
    StationState& state = station.state;
    state.barRange = 32768;
    state.filterWidth = 100;
    state.fftSize = 64;
    ScriptedWaveIn device;
    Recorder recorder(state, device);
    KeyDetector detector;

    stopCapture(recorder);  // nothing running: nothing happens
    EXPECT_EQ(device.activity().closes, 0);

    startCapture(state, recorder, detector, WaveIn::defaultDevice);
    state.filterWidth = 50;
    state.fftSize = 128;
    stopCapture(recorder);
    startCapture(state, recorder, detector, WaveIn::defaultDevice);
    EXPECT_EQ(device.queuedBufferBytes(), std::vector<std::uint32_t>(16, 512));
    // The restarted capture analyses: a block reaches the bars.
    std::vector<std::int16_t> tone(2 * 128);
    // Bin 32 of 128 (1500 Hz): 0, 1, 0, -1, ... of the full cycle.
    const std::int16_t quarterCycle[] = {0, 10000, 0, -10000};
    for (int k = 0; k < 128; ++k) tone[2 * k] = quarterCycle[k % 4];
    device.feed(tone);
    ASSERT_EQ(device.arrive(128), 1);
    ASSERT_TRUE(device.waitForQueued(16, 10s));
    EXPECT_GT(station.window.barPosition(ids::levelBar(32)), 0);
    stopCapture(recorder);
    const auto activity = device.activity();
    EXPECT_EQ(activity.opens, 2);
    EXPECT_EQ(activity.closes, 2);
}

}  // namespace
}  // namespace ditdahl
