// Synthesised Morse audio through the whole receive chain: blocks, spectrum,
// key detector and decoder, with a clock that moves on with the audio.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "analysis/BlockFeeder.h"
#include "analysis/SpectrumBars.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "portable/AudioClock.h"
#include "portable/ControlModel.h"
#include "shell/WindowDisplays.h"
#include "station/ControlIds.h"
#include "station/WindowTemplate.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl {
namespace {

using synthesis::KeyingPlan;

constexpr const char* text = "CQ CQ DE DL1ABC PSE K 73 TU";

struct Receiver {
    Receiver(int filterHz, int toneButton, int wpm, double thresholdPercent = 50.0) : window(mainWindowTemplate()) {
        state.mainWindow = &window;
        state.displays = displays.all();
        state.clock = &clock;
        buildMorseTable(state.morseTable);
        state.barRange = 32768;
        state.filterWidth = filterHz;
        state.fftSize = fftSizeForFilter(filterHz);
        state.thresholdPercent = thresholdPercent;
        state.txSpeedWpm = wpm;
        applyTxSpeedToReceive(state);
        selectTone(state, 50 * toneButton);
        state.receivedTextObserver = [this](std::string_view piece) {
            decoded += piece;
            appendTicks.push_back(clock.tickCount());
        };
    }
    void play(const std::vector<double>& samples) {
        const std::vector<std::int16_t> stereo = synthesis::toStereo16(samples);
        feeder.feed(stereo.data(), samples.size());
    }
    std::string decode(const std::vector<double>& samples) {
        play(samples);
        feeder.finish();
        return decoded;
    }

    ControlModel window;
    WindowDisplays displays{window};
    AudioClock clock;
    StationState state;
    KeyDetector detector;
    BlockFeeder feeder{state, detector, clock};
    std::string decoded;
    std::vector<std::uint32_t> appendTicks;
};

// The frequency of the bin a tone button watches.
double watchedHz(int button, int filterHz) {
    return filterHz == 50 ? button * 6000.0 / 128 : ((50 * button + 99) / 100) * 6000.0 / 64;
}

std::vector<double> keyed(const char* words, double wpm, double toneHz, double snrDb = 20.0, std::uint64_t seed = 7) {
    KeyingPlan plan;
    plan.wpm = wpm;
    plan.toneHz = toneHz;
    std::vector<double> samples = synthesis::keyedTone(words, plan);
    synthesis::NoiseGenerator noise(seed);
    synthesis::addNoise(samples, plan.amplitude, snrDb, plan.sampleRate, noise);
    return samples;
}

TEST(ReceiveChain, DecodesKnownTextAtTheWatchedTone) {
    struct Case {
        int wpm;
        int filterHz;
    };
    const Case cases[] = {{10, 50}, {10, 100}, {20, 50}, {20, 100}, {30, 100}};
    for (const Case& c : cases) {
        for (int button : {11, 20}) {
            Receiver receiver(c.filterHz, button, c.wpm);
            const std::string decoded = receiver.decode(keyed(text, c.wpm, watchedHz(button, c.filterHz)));
            EXPECT_EQ(decoded, std::string(text) + " ")
                << c.wpm << " wpm, " << c.filterHz << " Hz filter, button " << button;
        }
    }
}

// A 30 wpm dot (40 ms) is less than two 21 ms blocks, and a block that holds
// any of the tone counts as key down, so a dot reads as two or three blocks
// (42 or 63 ms). The dot window (26.4 to 60 ms) takes only the two-block
// dots: the others are lost and the text comes out garbled.
TEST(ReceiveChain, ThirtyWpmIsTooFastForTheNarrowFilter) {
    Receiver measuring(50, 11, 30);
    measuring.state.speedSensing = true;
    measuring.decode(keyed("EEEEEEEEEEEEEEEEEEEE", 30, watchedHz(11, 50)));
    int twoBlocks = 0, threeBlocks = 0;
    for (int i = 0; i < measuring.state.markHistory.count; ++i) {
        const int ms = measuring.state.markHistory.entries[i];
        EXPECT_TRUE(ms == 42 || ms == 63) << ms;
        (ms == 42 ? twoBlocks : threeBlocks) += 1;
    }
    EXPECT_GT(twoBlocks, 0);
    EXPECT_GT(threeBlocks, 0);

    Receiver narrow(50, 11, 30);
    const std::string decoded = narrow.decode(keyed(text, 30, watchedHz(11, 50)));
    EXPECT_NE(decoded, std::string(text) + " ");
    std::cout << "30 wpm with the 50 Hz filter: \"" << decoded << "\" for \"" << text << "\"\n";
    Receiver wide(100, 11, 30);
    EXPECT_EQ(wide.decode(keyed(text, 30, watchedHz(11, 100))), std::string(text) + " ");
}

TEST(ReceiveChain, NothingDecodesTwoButtonsAway) {
    for (int filterHz : {50, 100}) {
        for (int wpm : {10, 20}) {
            Receiver receiver(filterHz, 11, wpm);
            const std::string decoded = receiver.decode(keyed(text, wpm, watchedHz(13, filterHz)));
            EXPECT_LE(decoded.size(), 2u) << filterHz << " Hz filter, " << wpm << " wpm: \"" << decoded << "\"";
        }
    }
}

TEST(ReceiveChain, LongPauseEndsTheWordWithoutWaitingForTheNext) {
    Receiver receiver(50, 11, 20);
    std::vector<double> audio = keyed("PARIS", 20, watchedHz(11, 50));
    const std::size_t firstWordFrames = audio.size();
    const std::vector<double> pause(6000 * 5, 0.0);
    audio.insert(audio.end(), pause.begin(), pause.end());
    const std::vector<double> second = keyed("PARIS", 20, watchedHz(11, 50));
    audio.insert(audio.end(), second.begin(), second.end());
    EXPECT_EQ(receiver.decode(audio), "PARIS PARIS ");
    // "S" and the blank came during the pause, before the second word.
    ASSERT_GE(receiver.appendTicks.size(), 6u);
    EXPECT_LT(receiver.appendTicks[5], (firstWordFrames + pause.size()) * 1000 / 6000);
    EXPECT_EQ(receiver.decoded.substr(0, 6), "PARIS ");
}

// PARIS has 14 marks: the history is full with the P of the third word, the
// run after it ends the measurement, and decoding goes on from there at the
// measured speed.
TEST(ReceiveChain, SenseSpeedFindsTheSendersSpeed) {
    Receiver receiver(100, 11, 10);
    receiver.state.speedSensing = true;
    receiver.play(keyed("PARIS PARIS", 20, watchedHz(11, 100)));
    EXPECT_TRUE(receiver.state.speedSensing);
    EXPECT_EQ(receiver.decoded, "") << "nothing is decoded while measuring";
    receiver.decode(keyed("PARIS PARIS", 20, watchedHz(11, 100)));
    EXPECT_FALSE(receiver.state.speedSensing);
    EXPECT_EQ(receiver.state.rxSpeedWpm, 20);
    EXPECT_EQ(receiver.window.text(ids::rxSpeedBox), "20");
    EXPECT_EQ(receiver.decoded, "ARIS PARIS ");
    EXPECT_EQ(receiver.state.markHistory.count, 32);
}

// Every block that holds any of the tone counts as key down, because the
// level is relative to the block's own mean: marks read about one block
// long, which at 21 ms per block makes the measured speed too low.
TEST(ReceiveChain, SenseSpeedReadsLowWithTheNarrowFilter) {
    const std::pair<int, int> cases[] = {{15, 12}, {20, 16}, {25, 20}};
    for (const auto& [wpm, measured] : cases) {
        Receiver receiver(50, 11, 10);
        receiver.state.speedSensing = true;
        receiver.decode(keyed("PARIS PARIS PARIS PARIS", wpm, watchedHz(11, 50)));
        EXPECT_EQ(receiver.state.rxSpeedWpm, measured) << wpm << " wpm";
    }
}

// A 25 wpm dot (48 ms) is too short for the 15 wpm dot window, so the first
// words after the change lose elements until the estimate has caught up.
TEST(ReceiveChain, AutomaticSpeedFollowsAChangeFrom15To25Wpm) {
    Receiver receiver(100, 11, 15);
    receiver.state.autoRxSpeed = true;
    const double toneHz = watchedHz(11, 100);
    std::vector<double> audio = keyed("VVV DE DL1ABC TEST", 15, toneHz);
    const std::vector<double> faster = keyed("QRQ NOW FASTER AND STILL FASTER OK", 25, toneHz, 20.0, 8);
    audio.insert(audio.end(), faster.begin(), faster.end());
    const std::string decoded = receiver.decode(audio);
    EXPECT_EQ(decoded.substr(0, 19), "VVV DE DL1ABC TEST ");
    const std::string tail = "AND STILL FASTER OK ";
    ASSERT_GE(decoded.size(), tail.size());
    EXPECT_EQ(decoded.substr(decoded.size() - tail.size()), tail) << decoded;
    EXPECT_GE(receiver.state.rxSpeedWpm, 24);
    EXPECT_LE(receiver.state.rxSpeedWpm, 25);
}

// With the 50 Hz filter the estimate reads low (marks one block long), so
// two dashes outlast a word gap and the word spaces are lost.
TEST(ReceiveChain, AutomaticSpeedWithTheNarrowFilterLosesWordSpaces) {
    Receiver receiver(50, 11, 15);
    receiver.state.autoRxSpeed = true;
    const std::string decoded = receiver.decode(keyed("VVV DE DL1ABC TEST", 15, watchedHz(11, 50)));
    EXPECT_EQ(decoded, "VVVDEDL1ABCTEST ");
    EXPECT_LT(receiver.state.rxSpeedWpm, 14);
}

// Between the marks of a clean recording every bin is exactly 0, so the
// key is up; any block holding some of the tone shows it far above the
// block's mean.
TEST(ReceiveChain, CleanRecordingsDecodeExactly) {
    for (int filterHz : {50, 100}) {
        for (double toneHz : {550.0, watchedHz(11, filterHz)}) {
            Receiver receiver(filterHz, 11, 20);
            KeyingPlan plan;
            plan.toneHz = toneHz;
            EXPECT_EQ(receiver.decode(synthesis::keyedTone(text, plan)), std::string(text) + " ")
                << filterHz << " Hz filter, " << toneHz << " Hz";
        }
    }
}

// Levels are relative to the block's mean, with no floor: faint hiss alone
// keys the detector as often as loud noise does. At low thresholds the
// narrow filter then prints characters from noise; at 50 % it stays quiet.
TEST(ReceiveChain, NoiseAloneAtAnyLevel) {
    struct Case {
        double sigma;
        double thresholdPercent;
        bool prints;
    };
    const Case cases[] = {{3.0, 10.0, true}, {3000.0, 10.0, true}, {3.0, 50.0, false}, {3000.0, 50.0, false}};
    for (const Case& c : cases) {
        Receiver receiver(50, 11, 20, c.thresholdPercent);
        synthesis::NoiseGenerator noise(5);
        std::vector<double> hiss(6000 * 120);
        for (double& x : hiss) x = c.sigma * noise.gaussian();
        const std::string decoded = receiver.decode(hiss);
        EXPECT_EQ(decoded.find_first_not_of(' ') != std::string::npos, c.prints)
            << "noise of " << c.sigma << " at " << c.thresholdPercent << " %: \"" << decoded << "\"";
    }
}

TEST(ReceiveChain, SilenceNeverDecodes) {
    for (int filterHz : {50, 100}) {
        Receiver receiver(filterHz, 11, 20);
        EXPECT_EQ(receiver.decode(std::vector<double>(6000 * 60, 0.0)), "");
    }
}

}  // namespace
}  // namespace ditdahl
