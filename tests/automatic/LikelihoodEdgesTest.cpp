#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "automatic/Envelope.h"
#include "automatic/LikelihoodEdges.h"
#include "support/EditDistance.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"
#include "synthesis/Timing.h"

namespace ditdahl::automatic {
namespace {

using synthesis::KeyingPlan;

struct Heard {
    std::vector<KeyRun> runs;
    std::vector<synthesis::KeyInterval> sent;  // in steps
    LikelihoodEdges::PhaseReference phase = LikelihoodEdges::PhaseReference::around;
};

// Runs the decision over the steps with this dot length, a lag of three
// dots and these levels; everything decided, also at the end.
LikelihoodEdges decide(const std::vector<std::complex<double>>& steps, double dotSteps, double amplitude,
                       double noisePower, std::vector<KeyRun>& runs, bool spreadsWide = false) {
    LikelihoodEdges edges;
    if (spreadsWide) edges.keepSpreadsWide();
    edges.reset(0.0);
    edges.setDotSteps(dotSteps);
    edges.setLagSteps(static_cast<int>(3.0 * dotSteps));
    edges.setLevels(amplitude, noisePower);
    for (const auto& z : steps) edges.push(z, runs);
    edges.flush(runs);
    return edges;
}

// Keys the text, adds noise, mixes it down and runs the decision with the
// true dot length and the true levels (times the given factors); everything
// decided, also at the end.
// With phaseJumps, the carrier takes a new phase at every key-down.
Heard hear(const std::string& text, double wpm, double snrDb, std::uint64_t seed, double amplitudeFactor = 1.0,
           double noiseFactor = 1.0, bool phaseJumps = false) {
    KeyingPlan plan;
    plan.wpm = wpm;
    plan.toneHz = 700.0;
    plan.leadInMs = 1000.0;
    auto x = synthesis::keyedTone(text, plan);
    synthesis::NoiseGenerator noise(seed);
    if (snrDb < 99.0) synthesis::addNoise(x, plan.amplitude, snrDb, 6000, noise);
    Downmixer mixer;
    mixer.setTone(plan.toneHz);
    std::vector<std::complex<double>> steps;
    mixer.push(x.data(), x.size(), steps);
    Heard heard;
    for (const auto& k : synthesis::keyTimeline(text, plan, nullptr))
        heard.sent.push_back({k.start * 1000.0 / stepMs, k.end * 1000.0 / stepMs});
    if (phaseJumps) {
        // Before the noise is added, so the mark is turned alone.
        auto keyed = synthesis::keyedTone(text, plan);
        std::vector<std::complex<double>> clean;
        Downmixer cleanMixer;
        cleanMixer.setTone(plan.toneHz);
        cleanMixer.push(keyed.data(), keyed.size(), clean);
        synthesis::NoiseGenerator turns(seed + 1);
        for (const auto& mark : heard.sent) {
            const std::complex<double> turn = std::polar(1.0, 6.2832 * turns.uniform());
            const auto last = std::min(clean.size(), static_cast<std::size_t>(mark.end) + 2);
            for (auto i = static_cast<std::size_t>(std::max(0.0, mark.start - 1.0)); i < last; ++i)
                steps[i] += clean[i] * (turn - 1.0);
        }
    }

    const double dotSteps = 1200.0 / wpm / stepMs;
    // A steady tone sums to half its peak times the samples of a step; white
    // noise to its variance times them (its power in 2500 Hz is the tone's
    // power over the ratio, spread over 3000 Hz).
    const double amplitude = plan.amplitude * stepSamples / 2.0;
    const double variance =
        snrDb < 99.0 ? plan.amplitude * plan.amplitude / 2.0 / std::pow(10.0, snrDb / 10.0) * 3000.0 / 2500.0 : 1.0;
    heard.phase = decide(steps, dotSteps, amplitude * amplitudeFactor, variance * stepSamples * noiseFactor, heard.runs)
                      .phaseReference();
    return heard;
}

std::vector<KeyRun> marksOf(const std::vector<KeyRun>& runs) {
    std::vector<KeyRun> marks;
    for (const KeyRun& r : runs)
        if (r.mark) marks.push_back(r);
    return marks;
}

TEST(LikelihoodEdges, FindsEveryMarkOfACleanSignalToTheStep) {
    const double speeds[] = {12.0, 20.0, 35.0};
    for (double wpm : speeds) {
        const Heard heard = hear("PARIS 73", wpm, 100.0, 1);
        const auto marks = marksOf(heard.runs);
        ASSERT_EQ(marks.size(), heard.sent.size()) << wpm;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            EXPECT_NEAR(marks[i].start, heard.sent[i].start, 1.5) << wpm << " mark " << i;
            EXPECT_NEAR(marks[i].end, heard.sent[i].end, 1.5) << wpm << " mark " << i;
        }
        // Runs alternate and join without holes.
        for (std::size_t i = 1; i < heard.runs.size(); ++i) {
            EXPECT_NE(heard.runs[i].mark, heard.runs[i - 1].mark);
            EXPECT_DOUBLE_EQ(heard.runs[i].start, heard.runs[i - 1].end);
        }
    }
}

TEST(LikelihoodEdges, KeepsDotsDashesAndGapsApartInNoise) {
    // At -6 dB in 2500 Hz a dot at 25 wpm holds about 15 times the noise
    // density's energy: every element and every gap keeps its class, also
    // when the levels it is given are off (it learns them from what it
    // decides).
    struct Case {
        std::uint64_t seed;
        double amplitudeFactor;
        double noiseFactor;
    };
    const Case cases[] = {{1, 1.0, 1.0}, {2, 1.0, 1.0}, {3, 1.0, 1.0}, {4, 0.85, 0.7},
                          {5, 1.0, 1.0}, {6, 1.0, 1.0}, {7, 1.3, 1.5}};
    for (const Case& c : cases) {
        const std::uint64_t seed = c.seed;
        const Heard heard = hear("CQ DE DL1ABC K DE DL1ABC K", 25.0, -6.0, seed, c.amplitudeFactor, c.noiseFactor);
        const double dotSteps = 1200.0 / 25.0 / stepMs;
        // Within the transmission: in the noise around it a stray dot now and
        // then is the price of hearing weak ones (the receiver drops lone
        // elements).
        std::vector<KeyRun> marks;
        for (const KeyRun& m : marksOf(heard.runs))
            if (m.end > heard.sent.front().start - dotSteps && m.start < heard.sent.back().end + dotSteps)
                marks.push_back(m);
        ASSERT_EQ(marks.size(), heard.sent.size()) << seed;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const bool dash = marks[i].length() > 2.0 * dotSteps;
            const bool sentDash = heard.sent[i].end - heard.sent[i].start > 2.0 * dotSteps;
            EXPECT_EQ(dash, sentDash) << "seed " << seed << " mark " << i;
            if (i == 0) continue;
            const double gap = marks[i].start - marks[i - 1].end;
            const double sentGap = heard.sent[i].start - heard.sent[i - 1].end;
            EXPECT_EQ(gap > 2.0 * dotSteps, sentGap > 2.0 * dotSteps) << "seed " << seed << " gap " << i;
        }
    }
}

// Steps of a tone of amplitude 1, keyed as timed, in complex noise of the
// given power per step.
std::vector<std::complex<double>> keyedSteps(const synthesis::Keying& keying, double noisePower,
                                             synthesis::NoiseGenerator& random) {
    std::vector<std::complex<double>> steps(static_cast<std::size_t>(keying.totalSeconds * 1000.0 / stepMs));
    const double deviation = std::sqrt(noisePower / 2.0);
    std::size_t mark = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const double t = (static_cast<double>(i) + 0.5) * stepMs / 1000.0;
        while (mark < keying.marks.size() && keying.marks[mark].end < t) ++mark;
        const bool down = mark < keying.marks.size() && keying.marks[mark].start <= t;
        steps[i] = {(down ? 1.0 : 0.0) + deviation * random.gaussian(), deviation * random.gaussian()};
    }
    return steps;
}

// The noise power per step that gives this SNR: one step sees 250 Hz of
// the 2500 Hz the ratio is quoted in.
double noisePowerAt(double snrDb) { return 1.0 / (std::pow(10.0, snrDb / 10.0) * 10.0); }

// Dots, dashes and the three kinds of gap as letters: ".", "-", nothing
// within a letter, a blank between letters, " / " between words.
std::string elementsOf(const std::vector<synthesis::KeyInterval>& marks, double dotSteps) {
    std::string out;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (i > 0) {
            const double gap = (marks[i].start - marks[i - 1].end) / dotSteps;
            out += gap < 2.0 ? "" : gap < 5.0 ? " " : " / ";
        }
        out += marks[i].end - marks[i].start < 2.0 * dotSteps ? '.' : '-';
    }
    return out;
}

TEST(LikelihoodEdges, LearnsTheSendersWeightingFromTheDecidedDotsAndGaps) {
    // Mark/space ratios from light to heavy keying, 3 dB under the noise:
    // each mark longer and each gap shorter by (ratio - 1) / (ratio + 1)
    // dots. The decision's own edges lean a little towards the classes.
    const double ratios[] = {0.8, 1.0, 1.3};
    for (double ratio : ratios) {
        synthesis::Timing timing;
        timing.wpm = 25.0;
        timing.weight = ratio;
        synthesis::NoiseGenerator random(3);
        const auto keying = synthesis::timeKeying("VVV DE PA3XYZ TEST BT HOW COPY? 599 5NN", timing, random);
        const double dotSteps = 1200.0 / timing.wpm / stepMs;
        const double noisePower = noisePowerAt(-3.0);
        std::vector<KeyRun> runs;
        const LikelihoodEdges edges = decide(keyedSteps(keying, noisePower, random), dotSteps, 1.0, noisePower, runs);
        EXPECT_NEAR(edges.weighting(), (ratio - 1.0) / (ratio + 1.0), 0.04) << ratio;
    }
}

TEST(LikelihoodEdges, NarrowsItsLengthsToASteadySenderAndKeepsAHandsWide) {
    // Over the same transmissions, in elements and gaps misread: a keyer's
    // lengths, learnt to be steady, leave the noise less room to pass for a
    // dot or to fuse two; a hand's, learnt to be loose, are read as well as
    // with every length taken as loose.
    struct Case {
        const char* what;
        double wpm;
        double spread;
        double snrDb;
        bool fewer;  // fewer misread than with loose lengths, else no more
    };
    const Case cases[] = {
        {"keyer", 30.0, 0.0, -8.0, true}, {"keyer", 25.0, 0.0, -8.0, true}, {"hand", 18.0, 0.1, -8.0, false}};
    const char* text = "TEST DE PA3XYZ UR 599 5NN BT NAME IS JAN JAN QTH NR BREDA BT HW? AR PA3XYZ DE OK1RST K";
    for (const Case& c : cases) {
        std::size_t misread[2] = {0, 0};
        for (std::uint64_t seed = 1; seed <= 12; ++seed) {
            synthesis::Timing timing;
            timing.wpm = c.wpm;
            timing.weight = 1.15;
            timing.spread = c.spread;
            synthesis::NoiseGenerator random(seed);
            const auto keying = synthesis::timeKeying(text, timing, random);
            const double dotSteps = 1200.0 / timing.wpm / stepMs;
            const double noisePower = noisePowerAt(c.snrDb);
            const auto steps = keyedSteps(keying, noisePower, random);
            std::vector<synthesis::KeyInterval> sent;
            for (const auto& m : keying.marks) sent.push_back({m.start * 1000.0 / stepMs, m.end * 1000.0 / stepMs});
            for (int learnt = 0; learnt < 2; ++learnt) {
                std::vector<KeyRun> runs;
                decide(steps, dotSteps, 1.0, noisePower, runs, learnt == 0);
                std::vector<synthesis::KeyInterval> heard;
                for (const KeyRun& m : marksOf(runs)) heard.push_back({m.start, m.end});
                misread[learnt] += testing::editDistance(elementsOf(sent, dotSteps), elementsOf(heard, dotSteps));
            }
        }
        if (c.fewer) {
            EXPECT_LT(misread[1], misread[0]) << c.what << " " << c.wpm;
        } else {
            EXPECT_LE(misread[1], misread[0]) << c.what << " " << c.wpm;
        }
    }
}

TEST(LikelihoodEdges, TakesThePhaseFromCloseByWhenItJumpsAtEveryKeyDown) {
    // Each mark's phase at random: along the phase two dots around, dots
    // would be lost; a carrier whose phase runs on keeps that reference.
    struct Case {
        bool jumps;
        double snrDb;
        std::uint64_t seed;
        LikelihoodEdges::PhaseReference expected;
    };
    using Reference = LikelihoodEdges::PhaseReference;
    const Case cases[] = {{true, 0.0, 11, Reference::nearby},
                          {true, -3.0, 12, Reference::nearby},
                          {false, 0.0, 13, Reference::around},
                          {false, -6.0, 14, Reference::around}};
    for (const Case& c : cases) {
        const Heard heard = hear("EA3GHV DE OH6MLQ TU E E", 22.0, c.snrDb, c.seed, 1.0, 1.0, c.jumps);
        EXPECT_EQ(heard.phase, c.expected) << c.seed;
        const double dotSteps = 1200.0 / 22.0 / stepMs;
        std::vector<KeyRun> marks;
        for (const KeyRun& m : marksOf(heard.runs))
            if (m.end > heard.sent.front().start - dotSteps && m.start < heard.sent.back().end + dotSteps)
                marks.push_back(m);
        ASSERT_EQ(marks.size(), heard.sent.size()) << c.seed;
        for (std::size_t i = 0; i < marks.size(); ++i)
            EXPECT_EQ(marks[i].length() > 2.0 * dotSteps, heard.sent[i].end - heard.sent[i].start > 2.0 * dotSteps)
                << "seed " << c.seed << " mark " << i;
    }
}

TEST(LikelihoodEdges, NoMarkWithoutAToneLevelAndNoneInPlainNoise) {
    synthesis::NoiseGenerator noise(9);
    std::vector<std::complex<double>> steps(5000);
    for (auto& z : steps) z = {noise.gaussian(), noise.gaussian()};
    struct Case {
        const char* what;
        double amplitude;
    };
    // Noise of power 2 per step; a tone of amplitude 3 would give a 10-step
    // dot 45 times the noise's energy, far beyond what noise reaches.
    const Case cases[] = {{"no tone level", 0.0}, {"strong tone level set, noise only", 3.0}};
    for (const Case& c : cases) {
        LikelihoodEdges edges;
        edges.reset(0.0);
        edges.setDotSteps(10.0);
        edges.setLagSteps(30);
        edges.setLevels(c.amplitude, 2.0);
        std::vector<KeyRun> runs;
        for (const auto& z : steps) edges.push(z, runs);
        edges.flush(runs);
        EXPECT_TRUE(marksOf(runs).empty()) << c.what;
        EXPECT_FALSE(edges.keyDown()) << c.what;
    }
}

// A decision at dot length 10 and lag 30, for a tone of amplitude 1 in
// faint noise.
LikelihoodEdges clearToneDecision() {
    LikelihoodEdges edges;
    edges.reset(0.0);
    edges.setDotSteps(10.0);
    edges.setLagSteps(30);
    edges.setLevels(1.0, 0.01);
    return edges;
}

TEST(LikelihoodEdges, DecidesAMarkOnlyOnceTheLagHasPassedItsEnd) {
    // A dash of 30 steps from step 100, then silence.
    LikelihoodEdges edges = clearToneDecision();
    std::vector<KeyRun> runs;
    int decidedAt = -1;
    for (int i = 0; i < 2000; ++i) {
        const std::complex<double> z = i >= 100 && i < 130 ? std::complex<double>{0.0, 1.0} : 0.0;
        edges.push(z, runs);
        if (decidedAt < 0 && !marksOf(runs).empty()) decidedAt = i;
    }
    const auto marks = marksOf(runs);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_DOUBLE_EQ(marks[0].start, 100.0);
    EXPECT_DOUBLE_EQ(marks[0].end, 130.0);
    // Steps are scored once the level of the four dots after them is known
    // (each measured along the phase of the two dots after it), then
    // decided the lag later.
    EXPECT_GE(decidedAt, 130 + 30 - 1);
    EXPECT_LE(decidedAt, 130 + 60 + 30 + 1);
    // Long after, the silence is still counted from the mark's end.
    EXPECT_FALSE(edges.keyDown());
    EXPECT_DOUBLE_EQ(edges.runStart(), 130.0);
}

TEST(LikelihoodEdges, DecidesAgainAfterTheToneLevelIsLostInsideAMark) {
    // Dashes of 30 steps every 60 steps from step 100. The level is lost
    // (the receiver's levels no longer usable) for 400 steps from a step in
    // and around the first dash: at one of them, after the dash was scored,
    // before its start was decided.
    for (int lostFrom = 100; lostFrom < 250; ++lostFrom) {
        LikelihoodEdges edges = clearToneDecision();
        std::vector<KeyRun> runs;
        for (int i = 0; i < 3000; ++i) {
            if (i == lostFrom) edges.setLevels(0.0, 0.01);
            if (i == lostFrom + 400) edges.setLevels(1.0, 0.01);
            edges.push(i >= 100 && (i - 100) % 60 < 30 ? std::complex<double>{0.0, 1.0} : 0.0, runs);
        }
        // All but those sent while it was lost, and the last few, still
        // within the lag.
        ASSERT_GE(marksOf(runs).size(), static_cast<std::size_t>((3000 - lostFrom - 400) / 60 - 2)) << lostFrom;
    }
}

TEST(LikelihoodEdges, FollowsTheMarksIntoAFadesTrough) {
    // The tone at full strength, then faded: at a quarter of it the dot-long
    // means of its marks stand about 2.5 deviations over the noise and their
    // tops about 3, where a single top of noise seldom reaches and two hardly
    // ever. A tone twice as strong faded slowly by 16 dB: a word of one
    // letter stands alone in the window, its tops a little over 3
    // deviations, the second top the noise's own. Scored against the full
    // level, none of them was found.
    struct Case {
        const char* text;
        double full;
        double trough;
        double slopeShare;  // of the first half, where the fade goes down
    };
    const Case cases[] = {
        {"TEST DE OK1RST OK1RST TEST DE OK1RST OK1RST", 1.0, 0.25, 0.0},
        {"I I I I I I I I I I I I I I I I I I I I I I I I", 2.0, 0.15, 0.6},
    };
    for (const Case& c : cases) {
        synthesis::Timing timing;
        timing.wpm = 30.0;
        synthesis::NoiseGenerator random(5);
        const auto keying = synthesis::timeKeying(c.text, timing, random);
        const double dotSteps = 1200.0 / timing.wpm / stepMs;
        const double noisePower = 0.02 * dotSteps;
        auto steps = keyedSteps(keying, 0.0, random);
        const auto troughFrom = static_cast<double>(steps.size() / 2);
        const double slopeFrom = troughFrom * (1.0 - c.slopeShare);
        const double deviation = std::sqrt(noisePower / 2.0);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const double down =
                std::clamp((static_cast<double>(i) - slopeFrom + 1.0) / (troughFrom - slopeFrom + 1.0), 0.0, 1.0);
            steps[i] *= c.full * std::pow(c.trough, down);
            steps[i] += std::complex<double>(deviation * random.gaussian(), deviation * random.gaussian());
        }
        std::vector<KeyRun> runs;
        decide(steps, dotSteps, c.full, noisePower, runs);
        std::size_t sent = 0;
        for (const auto& m : keying.marks)
            if (m.start * 1000.0 / stepMs >= troughFrom) ++sent;
        std::size_t found = 0;
        for (const KeyRun& r : marksOf(runs))
            if (r.start >= troughFrom) ++found;
        EXPECT_GE(3 * found, sent) << c.text << ": " << found << " of " << sent;
        EXPECT_LE(found, sent) << c.text;
    }
}

}  // namespace
}  // namespace ditdahl::automatic
