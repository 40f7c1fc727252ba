#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "synthesis/Families.h"
#include "synthesis/Timing.h"
#include "synthesis/ToneRenderer.h"

namespace ditdahl::synthesis {
namespace {

constexpr double rate = 6000.0;

// The tone's complex amplitude over [from, to) s, against a reference at hz
// that runs on from sample 0: its angle is the carrier's phase against it.
std::complex<double> toneAt(const std::vector<double>& s, double from, double to, double hz) {
    std::complex<double> sum;
    for (auto i = static_cast<std::size_t>(from * rate); i < static_cast<std::size_t>(to * rate) && i < s.size(); ++i)
        sum += s[i] * std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
    return sum;
}

// The frequency over [from, from + 2 window): the phase turned between two
// windows, added to the reference's.
double frequencyAt(const std::vector<double>& s, double from, double window, double hz) {
    const auto turn = toneAt(s, from + window, from + 2 * window, hz) * std::conj(toneAt(s, from, from + window, hz));
    return hz + std::arg(turn) / (2.0 * std::numbers::pi * window);
}

TEST(Timing, VariantsTimeElementsAsAsked) {
    struct Case {
        const char* name;
        std::string text;
        Timing timing;
        std::function<void(const Keying& machine, const Keying& varied, double dot)> check;
    };
    auto weighted = [](double ratio) {
        return [ratio](const Keying& machine, const Keying& varied, double) {
            EXPECT_DOUBLE_EQ(varied.totalSeconds, machine.totalSeconds);
            for (std::size_t k = 0; k < varied.marks.size(); ++k)
                EXPECT_DOUBLE_EQ(varied.marks[k].start, machine.marks[k].start);
            const KeyInterval dot = varied.marks[0];
            EXPECT_NEAR((dot.end - dot.start) / (varied.marks[1].start - dot.end), ratio, 1e-9);
        };
    };
    const Case cases[] = {
        {"heavy", "IS IT", {.weight = 1.3}, weighted(1.3)},
        {"light", "IS IT", {.weight = 0.8}, weighted(0.8)},
        {"semiautomatic",
         "TOO MANY DASHES",
         {.dashDots = 3.0, .dashMaxDots = 5.0, .spread = 0.2, .machineDots = true},
         [](const Keying& machine, const Keying& varied, double dot) {
             double shortest = 9.0, longest = 0.0;
             for (std::size_t k = 0; k < varied.marks.size(); ++k) {
                 const double dots = (varied.marks[k].end - varied.marks[k].start) / dot;
                 const bool isDot = machine.marks[k].end - machine.marks[k].start < 2.0 * dot;
                 if (isDot) {
                     EXPECT_NEAR(dots, 1.0, 1e-9);
                     continue;
                 }
                 shortest = std::min(shortest, dots);
                 longest = std::max(longest, dots);
             }
             EXPECT_GE(shortest, 3.0);
             EXPECT_LE(longest, 5.0);
             EXPECT_GT(longest - shortest, 1.0);
         }},
        {"wide spacing",
         "AN ET",
         {.letterGapDots = 6.0, .wordGapDots = 14.0},
         [](const Keying&, const Keying& varied, double dot) {
             EXPECT_NEAR(varied.marks[2].start - varied.marks[1].end, 6.0 * dot, 1e-9);   // A to N
             EXPECT_NEAR(varied.marks[4].start - varied.marks[3].end, 14.0 * dot, 1e-9);  // N to E
         }},
        {"speed change",
         "EE EE EE",
         {.laterWpm = 40.0, .changeAtWord = 2},
         [](const Keying&, const Keying& varied, double dot) {
             EXPECT_NEAR(varied.marks[3].end - varied.marks[3].start, dot, 1e-9);
             EXPECT_NEAR(varied.marks[4].end - varied.marks[4].start, dot / 2.0, 1e-9);
             EXPECT_NEAR(varied.marks[4].start - varied.marks[3].end, 7.0 * dot / 2.0, 1e-9);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NoiseGenerator random(5);
        const Keying machine = timeKeying(c.text, Timing{}, random);
        const Keying varied = timeKeying(c.text, c.timing, random);
        ASSERT_EQ(varied.marks.size(), machine.marks.size());
        c.check(machine, varied, 1.2 / c.timing.wpm);
    }
}

TEST(ToneRenderer, CarrierKeepsOrLosesItsPhaseAndFrequencyAsAsked) {
    // Five dashes of 180 ms at 20 wpm, 60 ms apart.
    NoiseGenerator random(9);
    const Keying keying = timeKeying("TTTTT", Timing{}, random);
    struct Case {
        const char* name;
        ToneShape shape;
        bool phaseJumps;
    };
    const Case cases[] = {
        {"clean", {}, false},
        {"phase jumps", {.phaseJumps = true}, true},
        {"chirp up", {.chirpHz = 60.0, .chirpSettleMs = 20.0}, false},
        {"chirp down", {.chirpHz = -30.0, .chirpSettleMs = 10.0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto s = renderKeyed(keying.marks, keying.totalSeconds, c.shape, random);
        // A chirp turns the carrier by its excursion's integral at every
        // key-down (offset times settling time / 3, for the return to 5 %);
        // a clean carrier comes back in phase.
        const double turn = 2.0 * std::numbers::pi * c.shape.chirpHz * c.shape.chirpSettleMs / 3000.0;
        double worst = 0.0;
        for (std::size_t k = 0; k < keying.marks.size(); ++k) {
            const double end = keying.marks[k].end;
            // Settled well before the end of every dash, whatever happened at its start.
            EXPECT_NEAR(frequencyAt(s, end - 0.1, 0.05, 700.0), 700.0, 0.2);
            if (k == 0) continue;
            const double before = std::arg(toneAt(s, keying.marks[k - 1].end - 0.1, keying.marks[k - 1].end, 700.0));
            const double step = std::arg(toneAt(s, end - 0.1, end, 700.0)) - before - turn;
            worst = std::max(worst, std::abs(std::remainder(step, 2.0 * std::numbers::pi)));
        }
        if (c.phaseJumps) {
            EXPECT_GT(worst, 1.0);
        } else {
            EXPECT_LT(worst, 0.05);
        }
    }
}

TEST(ToneRenderer, WanderSwingsOverTheRangeAsked) {
    // A carrier held down for a minute, swinging over 50 Hz every 40 s from
    // the middle, going up.
    NoiseGenerator random(3);
    const ToneShape shape{.toneHz = 885.0, .wanderHz = 50.0, .wanderPeriodSeconds = 40.0};
    const auto s = renderKeyed({{0.0, 60.0}}, 60.0, shape, random);
    EXPECT_NEAR(frequencyAt(s, 9.9, 0.1, 910.0), 910.0, 0.5);
    EXPECT_NEAR(frequencyAt(s, 19.9, 0.1, 885.0), 885.0, 0.5);
    EXPECT_NEAR(frequencyAt(s, 29.9, 0.1, 860.0), 860.0, 0.5);
}

// Power of the signal over a stretch, in dB.
double powerDb(const std::vector<double>& s, double from, double to) {
    double sum = 0.0;
    const auto first = static_cast<std::size_t>(from * rate), last = static_cast<std::size_t>(to * rate);
    for (std::size_t i = first; i < last; ++i) sum += s[i] * s[i];
    return 10.0 * std::log10(sum / static_cast<double>(last - first));
}

TEST(Channel, FadingAndAgcReachTheDepthsAsked) {
    for (double depthDb : {10.0, 25.0}) {
        std::vector<double> ones(static_cast<std::size_t>(12.0 * rate), 1.0);
        applyFadeDb(ones, 6.0, depthDb, 0.0);
        const auto [low, high] = std::minmax_element(ones.begin(), ones.end());
        EXPECT_NEAR(20.0 * std::log10(*high / *low), depthDb, 0.01);
    }
    for (double pumpDb : {10.0, 20.0}) {
        // Dashes with word gaps between: long enough for the AGC to settle.
        Scene scene;
        scene.stations.emplace_back().text = "T T T T";
        scene.agc = Agc{.pumpDb = pumpDb, .releaseMs = 30.0};
        const TestSignal noise = renderScene(scene, 0.0, Content::PumpedNoise, 3);
        double marks = 0.0, gaps = 0.0;
        for (std::size_t k = 0; k + 1 < noise.keyed.size(); ++k) {
            marks += powerDb(noise.samples, noise.keyed[k].start + 0.02, noise.keyed[k].end) / 3.0;
            gaps += powerDb(noise.samples, noise.keyed[k].end + 0.2, noise.keyed[k + 1].start) / 3.0;
        }
        EXPECT_NEAR(gaps - marks, pumpDb, 1.0);
    }
}

TEST(Families, RepeatableAndWhereTheySay) {
    const std::vector<std::string> texts = {"GM OM NAME IS ALF", "QTH SEATTLE WX RAIN", "RIG 50 W ANT LOOP"};
    for (const Family& family : signalFamilies()) {
        SCOPED_TRACE(std::string(family.name));
        const TestSignal a = makeSignal(family, 4, 200.0, texts);
        EXPECT_EQ(a.samples, makeSignal(family, 4, 200.0, texts).samples);
        EXPECT_NE(a.samples, makeSignal(family, 5, 200.0, texts).samples);
        EXPECT_EQ(a.characterEndsMs.size(), static_cast<std::size_t>(std::count_if(a.text.begin(), a.text.end(),
                                                                                   [](char ch) { return ch != ' '; })));
        EXPECT_LT(a.characterEndsMs.back(), 1000.0 * static_cast<double>(a.samples.size()) / rate);
        if (family.name != "neighbour") continue;
        // Both carriers where the signal says, and nothing between them.
        const double whole = static_cast<double>(a.samples.size()) / rate;
        const double offset = std::abs(a.otherToneHz - a.toneHz);
        EXPECT_GE(offset, 60.0);
        EXPECT_LE(offset, 150.0);
        const double between = std::abs(toneAt(a.samples, 0.0, whole, (a.toneHz + a.otherToneHz) / 2.0));
        EXPECT_GT(std::abs(toneAt(a.samples, 0.0, whole, a.toneHz)), 10.0 * between);
        EXPECT_GT(std::abs(toneAt(a.samples, 0.0, whole, a.otherToneHz)), 10.0 * between);
    }
}

}  // namespace
}  // namespace ditdahl::synthesis
