#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "automatic/Envelope.h"
#include "automatic/Levels.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

TEST(Levels, SplitFindsTheTwoClustersWhateverTheirShares) {
    struct Case {
        int lowCount;
        int highCount;
    };
    const Case cases[] = {{500, 500}, {900, 100}, {200, 800}};
    for (const Case& c : cases) {
        std::vector<double> values;
        for (int i = 0; i < c.lowCount; ++i) values.push_back(20.0 + (i % 5));   // 20 to 24
        for (int i = 0; i < c.highCount; ++i) values.push_back(60.0 + (i % 3));  // 60 to 62
        const LevelSplit split = splitLevels(values);
        EXPECT_NEAR(split.noiseDb, 22.0, 2.0) << c.lowCount;
        EXPECT_NEAR(split.markDb, 61.5, 1.0) << c.lowCount;
    }
}

// The levels of a keyed tone's envelope at 20 wpm, plus noise of the given
// deviation (16-bit units); amplitude 0 gives no tone.
Levels levelsOf(double amplitude, double noiseSigma) {
    synthesis::KeyingPlan plan;
    plan.amplitude = amplitude;
    plan.toneHz = 700.0;
    auto x = synthesis::keyedTone("PARIS PARIS PARIS", plan);
    synthesis::NoiseGenerator noise(21);
    for (double& s : x) s = std::round(s + noiseSigma * noise.gaussian());
    Downmixer mixer;
    mixer.setTone(700.0);
    std::vector<std::complex<double>> steps;
    mixer.push(x.data(), x.size(), steps);
    MatchedFilter filter;
    filter.setLength(15);
    Levels levels;
    levels.reset(stepSamples * 15);
    for (const auto& z : steps) levels.push(filter.push(z));
    return levels;
}

TEST(Levels, MarksStandClearOnlyWhenARealToneIsThere) {
    struct Case {
        double amplitude;
        double noiseSigma;
        bool usable;
    };
    const Case cases[] = {
        {10000.0, 0.0, true},     // clean recording
        {10000.0, 3000.0, true},  // noisy
        {0.0, 0.0, false},        // digital silence
        {0.0, 0.5, false},        // dither alone
        {2.0, 0.5, false},        // faint residue of a tone
    };
    for (const Case& c : cases) {
        const Levels levels = levelsOf(c.amplitude, c.noiseSigma);
        ASSERT_TRUE(levels.ready());
        EXPECT_EQ(levels.usable(), c.usable) << c.amplitude << " / " << c.noiseSigma;
        if (c.usable) {
            EXPECT_GT(levels.onDb(), levels.offDb());
            EXPECT_GT(levels.offDb(), levels.noiseDb());
            EXPECT_LT(levels.onDb(), levels.markDb());
        }
    }
}

// The levels of 6 s of dot-long sums (1500 steps), each step's power given.
template <typename Power>
Levels heldSixSeconds(Power power, bool followLatest = false) {
    Levels levels;
    levels.reset(stepSamples * 15);
    if (followLatest) levels.followLatestMarks();
    for (int t = 0; t < 1500; ++t) levels.push(power(t));
    levels.renew();
    return levels;
}

// Noise powers spread over a few dB, as a noise's are.
double noiseAt(int t, double power) { return power * (0.5 + (t * 7 % 10) / 10.0); }

// Digital silence (a sound card's dropout, a receiver muted while the
// operator sends) is not the noise: the noise level stays that of the
// noise, while a clean recording's silent gaps still are its noise.
TEST(Levels, SilenceOnlyCountsAsNoiseWhereThereIsNoOther) {
    struct Case {
        const char* what;
        int silentFrom;  // steps of the 6 s held
        int silentSteps;
        double noisePower;
        double expectedNoiseDb;
    };
    const Case cases[] = {
        {"dropout of 100 ms", 700, 25, 1e10, 100.0},
        {"muted for 2 s, then noise", 0, 500, 1e10, 100.0},
        {"muted at the end", 1200, 300, 1e10, 100.0},
        {"clean recording", 0, 0, 0.0, 10.0 * std::log10(15.0 * stepSamples / 12.0)},
    };
    for (const Case& c : cases) {
        const Levels levels = heldSixSeconds([&](int t) {
            const bool silent = t >= c.silentFrom && t < c.silentFrom + c.silentSteps;
            return silent ? 0.0 : t % 45 >= 30 ? 1e13 : noiseAt(t, c.noisePower);
        });
        EXPECT_NEAR(levels.noiseDb(), c.expectedNoiseDb, 3.0) << c.what;
        EXPECT_NEAR(levels.markDb(), 130.0, 1.0) << c.what;
    }
}

// A station back after the other's over: the 6 s held are mostly the
// other's leak, 10 dB under this station's marks. Its marks take the mark
// level over at the next renewal, and keep it once they stop.
TEST(Levels, MarksFarLouderLatelyTakeTheMarkLevelOver) {
    struct Case {
        const char* what;
        int loudFrom;  // steps of the 6 s held
        int loudSteps;
    };
    const Case cases[] = {
        {"station back for the last 0.8 s", 1300, 200},
        {"station back for the last 0.5 s", 1375, 125},
        {"station gone for the last 2 s", 0, 1000},
    };
    for (const Case& c : cases) {
        const Levels levels = heldSixSeconds(
            [&](int t) {
                const bool loud = t >= c.loudFrom && t < c.loudFrom + c.loudSteps;
                if (loud) return t % 30 < 15 ? 1e13 : noiseAt(t, 1e10);
                return t % 45 >= 30 ? 1e12 : noiseAt(t, 1e10);
            },
            true);
        EXPECT_NEAR(levels.markDb(), 130.0, 1.0) << c.what;
    }
}

TEST(Levels, ClearToneKeysAtHalfItsAmplitude) {
    const Levels levels = levelsOf(10000.0, 0.0);
    // A whole dot sums to 10000 * 24 / 2 * 15; half of that is 6 dB down.
    const double dotDb = Levels::toDb(std::pow(10000.0 * 24 / 2 * 15, 2));
    EXPECT_NEAR(levels.markDb(), dotDb, 0.7);
    EXPECT_NEAR(0.5 * (levels.onDb() + levels.offDb()), dotDb - 6.0, 0.6);
}

}  // namespace
}  // namespace ditdahl::automatic
