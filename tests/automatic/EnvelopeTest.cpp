#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "automatic/Envelope.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

TEST(Envelope, MixerSumsATonePresentAtItsFrequencyAndRejectsOthers) {
    const double pi = 3.14159265358979323846;
    struct Case {
        double signalHz;
        double mixerHz;
        double expectedMagnitude;  // per 4 ms step
    };
    // A tone of amplitude A at the mixer's frequency sums to A * 24 / 2 per
    // step; one 250 Hz away (a whole cycle per step) sums to nothing. (At
    // these tones the mixing's sum frequency also makes whole cycles.)
    const Case cases[] = {{750.0, 750.0, 1000.0 * 24 / 2}, {625.0, 625.0, 1000.0 * 24 / 2}, {1000.0, 750.0, 0.0}};
    for (const Case& c : cases) {
        std::vector<double> x(2400);
        for (std::size_t i = 0; i < x.size(); ++i) x[i] = 1000.0 * std::sin(2.0 * pi * c.signalHz * i / 6000.0);
        Downmixer mixer;
        mixer.setTone(c.mixerHz);
        std::vector<std::complex<double>> steps;
        mixer.push(x.data(), 10, steps);  // any split of the input gives the same steps
        mixer.push(x.data() + 10, x.size() - 10, steps);
        ASSERT_EQ(steps.size(), x.size() / stepSamples);
        for (const auto& z : steps) EXPECT_NEAR(std::abs(z), c.expectedMagnitude, 1.0) << c.signalHz;
    }
}

TEST(Envelope, MatchedFilterFollowsAKnownKeyingWithTheDotsDelay) {
    // "EE" at 20 wpm: marks 0.5-0.56 s and 0.74-0.8 s (leadIn 500 ms, a
    // letter gap of 3 dots), 15 steps to a dot.
    synthesis::KeyingPlan plan;
    plan.toneHz = 750.0;
    plan.edgeMs = 0.0;
    const auto x = synthesis::keyedTone("EE", plan);
    Downmixer mixer;
    mixer.setTone(750.0);
    std::vector<std::complex<double>> steps;
    mixer.push(x.data(), x.size(), steps);
    MatchedFilter filter;
    filter.setLength(15);
    std::vector<double> power;
    for (const auto& z : steps) power.push_back(filter.push(z));
    const double full = std::pow(10000.0 * 24 / 2 * 15, 2);
    struct Probe {
        int step;
        double fraction;  // of the power of a whole dot
    };
    // Full power where the filter holds the whole dot (its last step), the
    // square of the part it holds on the way in and out, nothing in the
    // letter gap.
    const Probe probes[] = {
        {125 + 14, 1.0}, {125 + 7, 64.0 / 225}, {125 + 22, 49.0 / 225}, {170, 0.0}, {185 + 14, 1.0}};
    for (const Probe& p : probes) EXPECT_NEAR(power[p.step] / full, p.fraction, 1e-6) << "step " << p.step;
}

TEST(Envelope, MatchedFilterKeepsItsRecentStepsWhenItsLengthChanges) {
    MatchedFilter filter;
    filter.setLength(4);
    for (int i = 1; i <= 4; ++i) filter.push({static_cast<double>(i), 0.0});
    filter.setLength(2);                               // keeps 3 and 4
    EXPECT_DOUBLE_EQ(filter.push({5.0, 0.0}), 81.0);   // 4 + 5
    filter.setLength(3);                               // 4, 5 and a zero before them
    EXPECT_DOUBLE_EQ(filter.push({1.0, 0.0}), 100.0);  // 4 + 5 + 1
    filter.clear();
    EXPECT_DOUBLE_EQ(filter.push({2.0, 0.0}), 4.0);
}

}  // namespace
}  // namespace ditdahl::automatic
