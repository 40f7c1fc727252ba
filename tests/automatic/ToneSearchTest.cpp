#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "automatic/ToneSearch.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

using synthesis::KeyingPlan;
using synthesis::NoiseGenerator;

const char* const text = "CQ CQ DE DL1ABC DL1ABC PSE K";

struct Result {
    bool everLocked = false;
    double toneHz = 0.0;
    double lockedAtSeconds = 0.0;
};

Result search(const std::vector<double>& samples, double hintHz = 0.0) {
    ToneSearch s;
    s.setHint(hintHz);
    Result r;
    for (std::size_t i = 0; i < samples.size(); i += 100) {
        s.push(samples.data() + i, std::min<std::size_t>(100, samples.size() - i));
        if (s.locked() && !r.everLocked) {
            r.everLocked = true;
            r.lockedAtSeconds = static_cast<double>(i) / 6000.0;
        }
    }
    if (s.locked()) r.toneHz = s.toneHz();
    return r;
}

TEST(ToneSearch, FindsKeyedTonesWithin5HzFromTheirAudioAlone) {
    struct Case {
        double toneHz;
        double wpm;
        double snrDb;
    };
    const Case cases[] = {{237.0, 20, 100}, {437.3, 12, 0},   {613.0, 25, -3},
                          {1043.7, 30, -6}, {1187.0, 18, -9}, {1550.0, 20, 3}};
    for (const Case& c : cases) {
        KeyingPlan plan;
        plan.toneHz = c.toneHz;
        plan.wpm = c.wpm;
        plan.tailMs = 0.0;
        auto samples = synthesis::keyedTone(text, plan);
        NoiseGenerator noise(11);
        if (c.snrDb < 99.0) synthesis::addNoise(samples, plan.amplitude, c.snrDb, 6000, noise);
        const Result r = search(samples);
        ASSERT_TRUE(r.everLocked) << c.toneHz << " Hz at " << c.snrDb << " dB";
        EXPECT_NEAR(r.toneHz, c.toneHz, 5.0) << c.toneHz << " Hz at " << c.snrDb << " dB";
    }
}

TEST(ToneSearch, NeverLocksOnNoiseSilenceACarrierOrOutsideTheRange) {
    NoiseGenerator noise(12);
    std::vector<double> white(6000 * 60);
    for (double& s : white) s = 2000.0 * noise.gaussian();
    EXPECT_FALSE(search(white).everLocked);
    // A steady carrier carries no text, however well it stands.
    std::vector<double> carrier = white;
    for (std::size_t i = 0; i < carrier.size(); ++i)
        carrier[i] += 8000.0 * std::sin(2.0 * std::numbers::pi * 700.0 * static_cast<double>(i) / 6000.0);
    EXPECT_FALSE(search(carrier).everLocked);
    EXPECT_FALSE(search(std::vector<double>(6000 * 20, 0.0)).everLocked);
    KeyingPlan low;
    low.toneHz = 120.0;
    EXPECT_FALSE(search(synthesis::keyedTone(text, low)).everLocked);
    KeyingPlan high;
    high.toneHz = 1900.0;
    EXPECT_FALSE(search(synthesis::keyedTone(text, high)).everLocked);
}

TEST(ToneSearch, HintChoosesBetweenTwoSignals) {
    // The louder one wins without a hint; with one, the station nearest it,
    // also when a louder one close beside it starts first, and as soon as
    // it stands out, though the louder one's skirt lifts one of its sides.
    struct Case {
        double otherHz;
        double otherLeadInMs;
        double hintHz;
        double expectedHz;
        double lockedBySeconds = 60.0;
    };
    const Case cases[] = {{900.0, 500.0, 0.0, 900.0},
                          {900.0, 500.0, 520.0, 500.0},
                          {570.0, 200.0, 480.0, 500.0},
                          {430.0, 200.0, 520.0, 500.0},
                          {560.0, 200.0, 500.0, 500.0, 5.0}};
    for (const Case& c : cases) {
        KeyingPlan a;
        a.toneHz = 500.0;
        a.leadInMs = 2500.0;
        KeyingPlan b;
        b.toneHz = c.otherHz;
        b.amplitude = 20000.0;
        b.leadInMs = c.otherLeadInMs;
        auto samples = synthesis::keyedTone(text, a);
        const auto other = synthesis::keyedTone(text, b);
        for (std::size_t i = 0; i < samples.size() && i < other.size(); ++i) samples[i] += other[i];
        const Result r = search(samples, c.hintHz);
        EXPECT_NEAR(r.toneHz, c.expectedHz, 5.0) << c.otherHz << " hint " << c.hintHz;
        EXPECT_LT(r.lockedAtSeconds, c.lockedBySeconds) << c.otherHz << " hint " << c.hintHz;
    }
}

TEST(ToneSearch, MovesToAStationThatTakesOverNearbyWithinTwoSeconds) {
    const double offsets[] = {40.0, -55.0, 90.0, -30.0, 32.0};
    for (double offset : offsets) {
        KeyingPlan first;
        first.toneHz = 700.0;
        first.tailMs = 1500.0;
        auto samples = synthesis::keyedTone(text, first);
        const double secondStarts = static_cast<double>(samples.size()) / 6000.0;
        KeyingPlan second = first;
        second.toneHz = 700.0 + offset;
        second.leadInMs = 0.0;
        const auto other = synthesis::keyedTone(text, second);
        samples.insert(samples.end(), other.begin(), other.end());
        NoiseGenerator noise(21);
        synthesis::addNoise(samples, first.amplitude, 3.0, 6000, noise);
        ToneSearch s;
        double movedAt = -1.0;
        for (std::size_t i = 0; i < samples.size(); i += 100) {
            s.push(samples.data() + i, std::min<std::size_t>(100, samples.size() - i));
            if (movedAt < 0.0 && s.locked() && std::abs(s.toneHz() - second.toneHz) < 5.0)
                movedAt = static_cast<double>(i) / 6000.0;
        }
        ASSERT_GE(movedAt, secondStarts) << offset;
        EXPECT_LT(movedAt - secondStarts, 2.0) << offset;
    }
}

// A hint narrows the search to about 100 Hz around it: one far off the band
// leaves nothing to lock on, however far off it is.
TEST(ToneSearch, AHintOffTheBandFindsNothing) {
    KeyingPlan plan;
    plan.toneHz = 600.0;
    const auto samples = synthesis::keyedTone(text, plan);
    for (const double hintHz : {3000.0, 1e12, 1e300, std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(search(samples, hintHz).everLocked) << hintHz;
    }
    EXPECT_TRUE(search(samples, std::numeric_limits<double>::quiet_NaN()).everLocked) << "no number is no hint";
}

TEST(ToneSearch, FollowsSlowDriftAndLetsGoWhenTheToneEnds) {
    // A steady carrier sliding up by 15 Hz over 20 s, then 6 s of noise.
    const double pi = 3.14159265358979323846;
    std::vector<double> samples(6000 * 28);
    NoiseGenerator noise(13);
    double phase = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / 6000.0;
        const double hz = 700.0 + 15.0 * std::min(t, 20.0) / 20.0;
        phase += 2.0 * pi * hz / 6000.0;
        samples[i] = (t < 20.0 ? 5000.0 * std::sin(phase) : 0.0) + 300.0 * noise.gaussian();
    }
    ToneSearch s;
    bool released = false;
    for (std::size_t i = 0; i < samples.size(); i += 256) {
        const bool changed = s.push(samples.data() + i, std::min<std::size_t>(256, samples.size() - i));
        if (i / 6000 == 19 && s.locked()) {
            EXPECT_NEAR(s.toneHz(), 714.0, 3.0);
        }
        if (changed && !s.locked()) {
            released = true;
            // Let go 3 s after the fade has set in, not before.
            EXPECT_GT(static_cast<double>(i) / 6000.0, 22.5);
        }
    }
    EXPECT_TRUE(released);
}

}  // namespace
}  // namespace ditdahl::automatic
