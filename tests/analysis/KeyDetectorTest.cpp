#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/KeyDetector.h"
#include "analysis/SpectrumBars.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "station/ControlIds.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

constexpr double pi = 3.14159265358979323846;

// A station whose key detector is fed whole blocks, with the manual clock
// moved on by exactly the audio's length.
struct Detecting {
    explicit Detecting(int filterHz, double thresholdPercent = 50.0, int wpm = 20) {
        StationState& state = station.state;
        state.barRange = 32768;
        state.filterWidth = filterHz;
        state.fftSize = fftSizeForFilter(filterHz);
        state.thresholdPercent = thresholdPercent;
        state.txSpeedWpm = wpm;
        applyTxSpeedToReceive(state);
        selectTone(state, 550);
    }

    // Blocks of a steady tone centred on the watched bin, or of silence.
    void blocks(bool tone, int count) {
        StationState& state = station.state;
        const int n = state.fftSize;
        std::vector<std::int16_t> block(2 * n, 0);
        if (tone) {
            for (int k = 0; k < n; ++k) {
                block[2 * k] =
                    static_cast<std::int16_t>(std::lround(10000.0 * std::sin(2.0 * pi * state.toneBin * k / n)));
            }
        }
        for (int i = 0; i < count; ++i) {
            const long long before = frames * 1000 / 6000;
            frames += n;
            station.clock.advance(static_cast<std::uint32_t>(frames * 1000 / 6000 - before));
            analyseBlock(state, detector, block.data());
        }
    }

    std::vector<int> history() const {
        const MarkHistory& h = station.state.markHistory;
        return {h.entries.begin(), h.entries.begin() + h.count};
    }

    testing::TestStation station;
    KeyDetector detector;
    long long frames = 0;
};

TEST(KeyDetector, BlockLengthBySize) {
    const std::pair<int, double> cases[] = {{16, 2.67}, {32, 5.33}, {64, 10.67}, {128, 21.33},
                                            {0, 0.0},   {96, 0.0},  {256, 0.0}};
    for (const auto& [size, ms] : cases) EXPECT_NEAR(blockMilliseconds(size), ms, 0.005) << size;
    EXPECT_EQ(static_cast<int>(blockMilliseconds(64)), 10);
    EXPECT_EQ(static_cast<int>(blockMilliseconds(128)), 21);
}

// A tone on the watched bin alone stands N / 20 times full scale above the
// mean, which leaves out the top bin but divides by N / 2.
TEST(KeyDetector, PureToneOnTheWatchedBinReachesNOver20TimesFullScale) {
    struct Case {
        int filterHz;
        double thresholdPercent;
        bool down;
    };
    const Case cases[] = {{50, 100.0, true},  {50, 635.0, true},  {50, 645.0, false},
                          {100, 100.0, true}, {100, 317.0, true}, {100, 323.0, false}};
    for (const Case& c : cases) {
        Detecting d(c.filterHz, c.thresholdPercent);
        d.blocks(true, 1);
        EXPECT_EQ(d.station.state.keyDown.load(), c.down) << c.filterHz << " Hz at " << c.thresholdPercent << " %";
        for (int bar = 1; bar <= 32; ++bar) {
            const bool watched = c.filterHz == 50 ? bar == 11 : (bar == 11 || bar == 12);
            // Elsewhere only the rounding of the samples to 16 bits shows.
            const int position = d.station.window.barPosition(ids::levelBar(bar));
            if (watched) {
                EXPECT_EQ(position, 32768) << "bar " << bar;
            } else {
                EXPECT_LT(position, 50) << "bar " << bar;
            }
        }
    }
}

TEST(KeyDetector, SilenceKeysUpAboveZeroThresholdAndDownAtZero) {
    const std::pair<double, bool> cases[] = {{0.0, true}, {1.0, false}, {50.0, false}, {100.0, false}};
    for (const auto& [threshold, down] : cases) {
        Detecting d(50, threshold);
        d.blocks(false, 1);
        EXPECT_TRUE(d.detector.keyStarted);
        EXPECT_EQ(d.station.state.keyDown.load(), down) << threshold;
    }
}

TEST(KeyDetector, WatchedBinOutsideTheBarsIsNeverEvaluated) {
    for (int bin : {0, 17, 33}) {
        Detecting d(100);
        d.station.state.toneBin = bin;
        d.blocks(true, 3);
        EXPECT_FALSE(d.detector.keyStarted) << bin;
    }
}

// Marks as the decoder receives them, caught by a measurement (which stores
// every mark as it comes).
TEST(KeyDetector, MarksAreWholeBlocksOfTruncatedMilliseconds) {
    struct Case {
        const char* name;
        int filterHz;
        std::vector<std::pair<bool, int>> blocks;  // tone?, count
        std::vector<int> marks;
    };
    const Case cases[] = {
        {"6 blocks at 64 points", 100, {{false, 3}, {true, 6}, {false, 2}}, {60}},
        {"6 blocks at 128 points", 50, {{false, 3}, {true, 6}, {false, 2}}, {126}},
        {"tone from the first block", 50, {{true, 2}, {false, 1}}, {21, 21}},
        {"two marks", 100, {{false, 2}, {true, 9}, {false, 6}, {true, 27}, {false, 1}}, {90, 270}},
    };
    for (const Case& c : cases) {
        Detecting d(c.filterHz);
        d.station.state.speedSensing = true;
        for (const auto& [tone, count] : c.blocks) d.blocks(tone, count);
        EXPECT_EQ(d.history(), c.marks) << c.name;
    }
}

TEST(KeyDetector, SteadyCarrierArrivesAsLongMarksOfTwoDashes) {
    Detecting d(50);  // 20 wpm: a run is cut once more than 360 ms have passed
    d.station.state.speedSensing = true;
    d.blocks(false, 2);
    d.blocks(true, 100);
    const std::vector<int> marks = d.history();
    ASSERT_GE(marks.size(), 5u);
    // The first run after the pause began at its first tone block; the others
    // are the 17 blocks (362 ms) that pass the limit.
    for (std::size_t i = 1; i < marks.size(); ++i) EXPECT_EQ(marks[i], 17 * 21) << i;
}

TEST(KeyDetector, LongPauseEndsTheCharacterAndThenTheWord) {
    Detecting d(50);
    d.blocks(false, 5);
    d.blocks(true, 3);  // 63 ms: a dot at 20 wpm
    d.blocks(false, 100);
    EXPECT_EQ(d.station.state.trafficLine.str(), "E ");
}

TEST(KeyDetector, WatchdogAsksForAudioResetAfterTenSlowPeriodsWithTheNarrowBlocks) {
    struct Case {
        const char* name;
        int filterHz;
        std::vector<int> periodMs;  // ms per block in each 100-block period
        int posts;
    };
    const std::vector<int> tenSlow(10, 22);
    std::vector<int> interleaved;
    for (int i = 0; i < 10; ++i) {
        interleaved.push_back(22);
        interleaved.push_back(10);
    }
    const Case cases[] = {
        {"ten slow", 100, tenSlow, 1},
        {"nine slow", 100, std::vector<int>(9, 22), 0},
        {"twenty slow", 100, std::vector<int>(20, 22), 2},
        {"21 ms is not slow", 100, std::vector<int>(20, 21), 0},
        {"slow periods need not follow each other", 100, interleaved, 1},
        {"never with the wide filter", 50, std::vector<int>(30, 40), 0},
    };
    for (const Case& c : cases) {
        Detecting d(c.filterHz);
        d.station.window.takePostedMessages();
        std::vector<std::int16_t> silence(2 * 128, 0);
        analyseBlock(d.station.state, d.detector, silence.data());  // starts the first period
        for (int ms : c.periodMs) {
            for (int i = 0; i < 100; ++i) {
                d.station.clock.advance(static_cast<std::uint32_t>(ms));
                analyseBlock(d.station.state, d.detector, silence.data());
            }
            EXPECT_EQ(d.station.window.text(ids::fftBox), std::to_string(ms)) << c.name;
        }
        const auto posted = d.station.window.takePostedMessages();
        EXPECT_EQ(static_cast<int>(posted.size()), c.posts) << c.name;
        for (const WindowMessage& m : posted) EXPECT_EQ(m, (WindowMessage{audioResetMessage, 0, 0}));
    }
}

TEST(KeyDetector, FftBoxShowsTheTruncatedAverage) {
    Detecting d(100);
    std::vector<std::int16_t> silence(2 * 64, 0);
    analyseBlock(d.station.state, d.detector, silence.data());
    for (int i = 1; i <= 100; ++i) {
        d.station.clock.advance(static_cast<std::uint32_t>(i * 1067 / 100 - (i - 1) * 1067 / 100));
        analyseBlock(d.station.state, d.detector, silence.data());
    }
    EXPECT_EQ(d.station.window.text(ids::fftBox), "10");
}

}  // namespace
}  // namespace ditdahl
