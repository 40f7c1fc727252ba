#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "automatic/EdgeRefiner.h"
#include "automatic/Envelope.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

// One mark from 1.0 s to 1.06 s (steps 250 to 265) at 750 Hz, in noise.
EdgeRefiner refinerFor(double snrDb, std::uint64_t seed) {
    synthesis::KeyingPlan plan;
    plan.toneHz = 750.0;
    plan.edgeMs = 0.0;
    plan.leadInMs = 1000.0;
    auto x = synthesis::keyedTone("E", plan);
    synthesis::NoiseGenerator noise(seed);
    if (snrDb < 99.0) synthesis::addNoise(x, plan.amplitude, snrDb, 6000, noise);
    Downmixer mixer;
    mixer.setTone(750.0);
    std::vector<std::complex<double>> steps;
    mixer.push(x.data(), x.size(), steps);
    EdgeRefiner refiner;
    for (std::size_t i = 0; i < steps.size(); ++i) refiner.push(static_cast<std::int64_t>(i), steps[i]);
    return refiner;
}

TEST(EdgeRefiner, FindsTheEdgesOfACleanMarkFromRoughGuesses) {
    const EdgeRefiner refiner = refinerFor(100.0, 61);
    const double guesses[][2] = {{247.0, 268.0}, {253.5, 262.5}, {250.2, 264.9}};
    for (const auto& g : guesses) {
        const auto edges = refiner.refine(g[0], g[1], 7.5, 0.0, 1e9);
        EXPECT_NEAR(edges.start, 250.0, 0.05) << g[0];
        EXPECT_NEAR(edges.end, 265.0, 0.05) << g[1];
    }
}

TEST(EdgeRefiner, InNoiseItsEdgesAreFarCloserThanTheGuesses) {
    // Guesses 4 steps off (as the dot-long filter's edges can be at low
    // signal-to-noise ratios); the refined edges, over many noise samples,
    // are off by well under that.
    for (double snrDb : {0.0, -6.0}) {
        double squares = 0.0;
        int count = 0;
        for (std::uint64_t seed = 1; seed <= 40; ++seed) {
            const double shift = seed % 2 ? 4.0 : -4.0;
            const auto edges = refinerFor(snrDb, seed).refine(250.0 + shift, 265.0 - shift, 7.5, 0.0, 1e9);
            squares += (edges.start - 250.0) * (edges.start - 250.0) + (edges.end - 265.0) * (edges.end - 265.0);
            count += 2;
        }
        EXPECT_LT(std::sqrt(squares / count), snrDb < -3.0 ? 2.4 : 0.8) << snrDb << " dB";
    }
}

TEST(EdgeRefiner, StaysWithinItsLimitsAndWithinWhatItHolds) {
    const EdgeRefiner refiner = refinerFor(100.0, 62);
    // Limits inside the mark: the edges stop at them.
    const auto limited = refiner.refine(247.0, 268.0, 7.5, 253.0, 262.0);
    EXPECT_GE(limited.start, 252.0);
    EXPECT_LE(limited.end, 262.0);
    // Steps it never held (after its newest, before the first, or pushed
    // out of its memory): the guesses come back unchanged.
    const double unknown[][2] = {{5000.0, 5015.0}, {-3.0, 5.0}, {1.0, 9.0}};
    for (const auto& u : unknown) {
        const auto edges = refiner.refine(u[0], u[1], 7.5, -1e9, 1e9);
        EXPECT_DOUBLE_EQ(edges.start, u[0]);
        EXPECT_DOUBLE_EQ(edges.end, u[1]);
    }
    EdgeRefiner longRun;
    for (std::int64_t i = 0; i < 3000; ++i) longRun.push(i, {1.0, 0.0});
    const auto forgotten = longRun.refine(100.0, 115.0, 7.5, -1e9, 1e9);
    EXPECT_DOUBLE_EQ(forgotten.start, 100.0);
}

}  // namespace
}  // namespace ditdahl::automatic
