// The switch between the element decoder and the automatic receiver, block
// by block as capture hands them over, on a manual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "analysis/SpectrumBars.h"
#include "audio/Capture.h"
#include "audio/ReceiverSwitch.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "doubles/ScriptedWaveIn.h"
#include "station/ControlIds.h"
#include "support/Station.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

// A station listening at 550 Hz with the given filter, receive timing from a
// 20 wpm sending speed, and the switch as its block handler.
struct SwitchedStation {
    explicit SwitchedStation(int filterHz = 50) {
        StationState& s = station.state;
        s.barRange = 32768;
        s.filterWidth = filterHz;
        s.fftSize = fftSizeForFilter(filterHz);
        s.thresholdPercent = 50.0;
        s.txSpeedWpm = 20;
        applyTxSpeedToReceive(s);
        selectTone(s, 550);
    }

    // Hands the audio over block by block, the clock moving on with it; the
    // highest level bar `watchedBar` showed on the way is kept.
    void feed(const std::vector<std::int16_t>& stereo, int watchedBar = 11) {
        const int block = state().fftSize;
        for (std::size_t f = 0; 2 * (f + block) <= stereo.size(); f += block) {
            const long long before = frames * 1000 / 6000;
            frames += block;
            station.clock.advance(static_cast<std::uint32_t>(frames * 1000 / 6000 - before));
            receivers.handleBlock(stereo.data() + 2 * f, block);
            highestBar = std::max(highestBar, station.window.barPosition(ids::levelBar(watchedBar)));
        }
    }

    StationState& state() { return station.state; }
    std::string shown(int id) { return station.window.text(id); }
    std::string line() {
        std::lock_guard lock(station.state.trafficLock);
        return station.state.trafficLine.str();
    }

    testing::TestStation station;
    KeyDetector detector;
    ReceiverSwitch receivers{station.state, detector};
    long long frames = 0;
    int highestBar = 0;
};

std::vector<std::int16_t> keyed(const std::string& text, double wpm, double toneHz, double tailMs = 2500.0) {
    synthesis::KeyingPlan keying;
    keying.wpm = wpm;
    keying.toneHz = toneHz;
    keying.tailMs = tailMs;
    return synthesis::toStereo16(synthesis::keyedTone(text, keying));
}

std::vector<std::int16_t> silence(double seconds) {
    return std::vector<std::int16_t>(2 * static_cast<std::size_t>(seconds * 6000), 0);
}

TEST(ReceiverSwitch, OnTheAutomaticReceiverWritesTextAndSpeedAndTheBarsStillShowTheSpectrum) {
    SwitchedStation s;
    s.state().automaticDecoder = true;
    s.feed(keyed("CQ DE DL1ABC", 25, 550));
    EXPECT_EQ(s.shown(ids::rxTxBuffer), "CQ DE DL1ABC ");
    EXPECT_EQ(s.shown(ids::rxSpeedBox), "25");
    EXPECT_EQ(s.shown(ids::dotBox), "48");
    EXPECT_EQ(s.state().dashMs, 144);
    EXPECT_GT(s.highestBar, 20000) << "the 550 Hz bar showed the tone";
    EXPECT_EQ(s.shown(ids::symbolBox), "") << "the element decoder decoded nothing";
}

TEST(ReceiverSwitch, OffTheElementDecoderDecodesExactlyAsTheKeyDetectorAlone) {
    for (const int filterHz : {50, 100}) {
        SCOPED_TRACE(filterHz);
        SwitchedStation switched(filterHz);
        SwitchedStation alone(filterHz);
        const auto audio = keyed("PARIS CQ", 20, 550, 1000.0);
        switched.feed(audio);
        const int block = alone.state().fftSize;
        for (std::size_t f = 0; 2 * (f + block) <= audio.size(); f += block) {
            const long long before = alone.frames * 1000 / 6000;
            alone.frames += block;
            alone.station.clock.advance(static_cast<std::uint32_t>(alone.frames * 1000 / 6000 - before));
            analyseBlock(alone.state(), alone.detector, audio.data() + 2 * f);
        }
        EXPECT_EQ(switched.shown(ids::rxTxBuffer), "PARIS CQ ");
        for (int id : {ids::rxTxBuffer, ids::symbolBox, ids::rxSpeedBox, ids::dotBox, ids::dashBox}) {
            EXPECT_EQ(switched.shown(id), alone.shown(id)) << id;
        }
        for (int bar = 1; bar <= ids::barCount; ++bar) {
            EXPECT_EQ(switched.station.window.barPosition(ids::levelBar(bar)),
                      alone.station.window.barPosition(ids::levelBar(bar)))
                << bar;
        }
    }
}

TEST(ReceiverSwitch, SwitchingBackLeavesNoHalfCharacterFromEitherReceiver) {
    SwitchedStation s;
    // The element decoder has heard ".-" of "P" (.--.) and is 150 ms into the
    // pause after it when the switch goes on for a moment of silence.
    synthesis::KeyingPlan keying;
    keying.toneHz = 550;
    double seconds = 0.0;
    const auto p = synthesis::keyTimeline("P", keying, &seconds);
    auto halfP = synthesis::toStereo16(synthesis::keyedTone("P", keying));
    halfP.resize(2 * static_cast<std::size_t>((p[1].end + 0.15) * 6000));
    s.feed(halfP);
    ASSERT_EQ(s.state().symbolBuffer.view(), ".-");
    s.state().automaticDecoder = true;
    s.feed(silence(1.0));
    s.state().automaticDecoder = false;
    s.feed(keyed("TEST", 20, 550, 1000.0));
    EXPECT_EQ(s.line(), "TEST ");

    // The automatic receiver follows a 600 Hz signal and is switched off
    // right after its last mark, before it has decided the last character.
    s.state().automaticDecoder = true;
    s.feed(keyed("CQ CQ", 20, 600, 0.0));
    EXPECT_EQ(s.station.window.barColour(ids::levelBar(12)), highlightBarColour) << "the followed tone";
    s.state().automaticDecoder = false;
    const std::string atSwitch = s.line();
    s.feed(silence(3.0));
    EXPECT_EQ(s.line(), atSwitch) << "nothing written after the switch";
    for (int bar = 1; bar <= ids::barCount; ++bar) {
        EXPECT_EQ(s.station.window.barColour(ids::levelBar(bar)) == highlightBarColour, bar == 11) << bar;
    }
}

TEST(ReceiverSwitch, NothingIsHeardWhileATransmissionHasReceivingOff) {
    SwitchedStation s;
    s.state().automaticDecoder = true;
    s.state().receiveEnabled = false;
    s.feed(keyed("CQ CQ DE DL1ABC", 25, 550, 0.0));
    s.state().receiveEnabled = true;
    s.feed(silence(5.0));
    EXPECT_EQ(s.line(), "");
    EXPECT_EQ(s.shown(ids::rxSpeedBox), "20") << "our own speed was not taken up";
    EXPECT_GT(s.highestBar, 20000) << "the bars still showed the tone";
}

TEST(ReceiverSwitch, SenseSpeedEndsItsMeasurementWithTheAutomaticReceiverOn) {
    SwitchedStation s;
    s.state().automaticDecoder = true;
    s.state().speedSensing = true;
    setIdleControls(s.state(), false);
    s.feed(keyed("PARIS PARIS PARIS PARIS PARIS PARIS", 15, 550));
    EXPECT_FALSE(s.state().speedSensing);
    EXPECT_TRUE(s.station.window.isEnabled(ids::transmitButton));
    EXPECT_EQ(s.shown(ids::rxTxBuffer).substr(0, 6), "PARIS ") << "the automatic receiver decoded meanwhile";
}

TEST(ReceiverSwitch, ThroughCaptureItChangesOverWhileBlocksAreBeingAnalysed) {
    using namespace std::chrono_literals;
    SwitchedStation s;
    const int block = s.state().fftSize;
    ScriptedWaveIn device;
    const auto quiet = silence(2.0);
    // Both at 20 wpm: the element decoder goes on with the speed the
    // automatic receiver measured.
    const auto automatic = keyed("CQ DE DL1ABC", 20, 550);
    const auto element = keyed("PARIS", 20, 550, 1000.0);
    for (const auto* part : {&quiet, &automatic, &element}) device.feed(*part);
    Recorder recorder(s.state(), device);
    startCapture(s.state(), recorder, s.receivers, WaveIn::defaultDevice);
    ASSERT_TRUE(recorder.isRunning());

    // Bursts of 16 blocks of silence, the switch flipped from this thread
    // while the capture worker analyses them.
    for (std::size_t frames = 0; frames + 16 * block <= quiet.size() / 2; frames += 16 * block) {
        s.station.clock.advance(16 * block * 1000 / 6000);
        ASSERT_EQ(device.arrive(static_cast<std::uint32_t>(16 * block)), 16);
        for (int flip = 0; flip < 50; ++flip) {
            s.state().automaticDecoder = !s.state().automaticDecoder;
            std::this_thread::yield();
        }
        ASSERT_TRUE(device.waitForQueued(16, 10s));
    }
    // Then block by block: the rest of the silence and a call for the
    // automatic receiver, a word for the element decoder.
    const auto arriveBlocks = [&](std::size_t frames) {
        for (std::size_t f = 0; f + block <= frames; f += block) {
            const long long before = s.frames * 1000 / 6000;
            s.frames += block;
            s.station.clock.advance(static_cast<std::uint32_t>(s.frames * 1000 / 6000 - before));
            ASSERT_EQ(device.arrive(static_cast<std::uint32_t>(block)), 1);
            ASSERT_TRUE(device.waitForQueued(16, 10s));
        }
    };
    s.state().automaticDecoder = true;
    arriveBlocks(quiet.size() / 2 % (16 * block) + automatic.size() / 2);
    EXPECT_EQ(s.line(), "CQ DE DL1ABC ");
    s.state().automaticDecoder = false;
    arriveBlocks(element.size() / 2);
    stopCapture(recorder);
    EXPECT_EQ(s.line(), "CQ DE DL1ABC PARIS ");
}

}  // namespace
}  // namespace ditdahl
