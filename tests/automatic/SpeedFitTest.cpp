#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "automatic/SpeedFit.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

// Mark and gap durations of a text at the given speed, each stretched or
// shrunk at random by up to the given fraction.
void durationsOf(const char* text, double wpm, double spread, std::vector<double>& marks, std::vector<double>& gaps) {
    synthesis::KeyingPlan plan;
    plan.wpm = wpm;
    const auto timeline = synthesis::keyTimeline(text, plan, nullptr);
    synthesis::NoiseGenerator random(31);
    auto vary = [&](double seconds) { return 1000.0 * seconds * (1.0 + spread * (2.0 * random.uniform() - 1.0)); };
    for (std::size_t i = 0; i < timeline.size(); ++i) {
        marks.push_back(vary(timeline[i].end - timeline[i].start));
        if (i + 1 < timeline.size()) gaps.push_back(vary(timeline[i + 1].start - timeline[i].end));
    }
}

TEST(SpeedFit, FindsTheDotLengthWithin5PercentFrom10To40Wpm) {
    for (double wpm : {10.0, 13.0, 20.0, 27.0, 35.0, 40.0}) {
        for (double spread : {0.0, 0.2}) {
            std::vector<double> marks, gaps;
            durationsOf("CQ CQ DE DL1ABC PSE K", wpm, spread, marks, gaps);
            const SpeedFit fit = fitDotLength(marks, gaps);
            ASSERT_TRUE(fit.valid()) << wpm;
            EXPECT_NEAR(fit.dotMs, 1200.0 / wpm, 0.05 * 1200.0 / wpm) << wpm << " wpm, spread " << spread;
        }
    }
}

TEST(SpeedFit, GlitchesAndLongPausesDoNotPullTheFit) {
    std::vector<double> marks, gaps;
    durationsOf("PARIS PARIS", 20.0, 0.0, marks, gaps);
    marks.push_back(8.0);
    marks.push_back(900.0);
    gaps.push_back(5000.0);
    gaps.push_back(12.0);
    const SpeedFit fit = fitDotLength(marks, gaps);
    EXPECT_NEAR(fit.dotMs, 60.0, 3.0);
}

TEST(SpeedFit, TellsDotsFromDashesOnEnoughMarks) {
    struct Case {
        const char* what;
        std::vector<double> marks;
        std::vector<double> gaps;
        std::size_t fewestMarks;
        double dotMs;  // 0: no fit
        double mostWeightDots = 0.0;
    };
    const Case cases[] = {
        {"marks and gaps all alike", {60, 60, 60, 60, 60, 60}, {60, 60, 60, 60, 60}, 4, 0.0},
        {"IS: dots only, gaps within and between letters", {60, 60, 60, 60, 60}, {60, 180, 60, 60}, 4, 60.0},
        {"OM: dashes only, the same gaps", {180, 180, 180, 180, 180}, {60, 180, 60, 60}, 4, 60.0},
        {"TTTT: dashes only, letter gaps only", {180, 180, 180, 180}, {180, 180, 180}, 4, 0.0},
        {"R: too few marks", {60, 180, 60}, {60, 60}, 4, 0.0},
        {"R: a short over's few marks", {60, 180, 60}, {60, 60}, 3, 60.0},
        {"AN", {60, 180, 60, 180}, {60, 180, 60}, 4, 60.0},
        {"IS: marks smeared 22 ms longer, gaps as much shorter", {82, 82, 82, 82, 82}, {38, 158, 38, 38}, 3, 60.0, 0.4},
    };
    for (const Case& c : cases) {
        const SpeedFit fit = fitDotLength(c.marks, c.gaps, {}, fastestDotMs, c.fewestMarks, c.mostWeightDots);
        EXPECT_EQ(fit.valid(), c.dotMs > 0.0) << c.what;
        if (fit.valid() && c.dotMs > 0.0) {
            EXPECT_NEAR(fit.dotMs, c.dotMs, 1.0) << c.what;
            EXPECT_LT(fit.cost, 0.01) << c.what;
        }
    }
}

TEST(SpeedFit, DeviationIsMeasuredFromTheNearestClass) {
    struct Case {
        double ms;
        bool mark;
        int classDots;
        double deviation;
    };
    const Case cases[] = {
        {60, true, 1, 0.0},   {200, true, 3, std::log(200.0 / 180)},  {420, true, 3, std::log(420.0 / 180)},
        {420, false, 7, 0.0}, {150, false, 3, std::log(150.0 / 180)}, {40, false, 1, std::log(40.0 / 60)}};
    for (const Case& c : cases) {
        int classDots = 0;
        EXPECT_NEAR(classDeviation(c.ms, c.mark, 60.0, &classDots), c.deviation, 1e-12) << c.ms;
        EXPECT_EQ(classDots, c.classDots) << c.ms;
    }
}

}  // namespace
}  // namespace ditdahl::automatic
