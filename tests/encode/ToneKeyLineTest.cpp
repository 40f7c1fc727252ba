#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "portable/ManualClock.h"
#include "portable/ToneKeyLine.h"

namespace ditdahl {
namespace {

// At a quarter of the sample rate every odd sample is a crest, so the
// envelope can be read off directly: odd sample n carries level x envelope.
constexpr int rate = 6000;
constexpr double level = 0.5;
const ToneShape quarterRate{1500.0, level, rate, 4.0};  // edges of 24 samples

std::vector<double> envelopeOf(const std::vector<float>& samples) {
    std::vector<double> envelope;
    for (std::size_t n = 1; n < samples.size(); n += 2) envelope.push_back(std::fabs(samples[n]) / level);
    return envelope;
}

struct Keying {
    std::uint32_t atMs;
    Line line;
    bool raised;
};

std::vector<float> render(const std::vector<Keying>& keying, std::uint32_t totalMs, bool takeOften) {
    ManualClock clock(0xFFFFFF00u);  // wraps during the rendering
    ToneKeyLine line(clock, quarterRate);
    std::vector<float> samples;
    std::uint32_t now = 0;
    for (const Keying& k : keying) {
        clock.advance(k.atMs - now);
        now = k.atMs;
        k.raised ? line.raise(k.line) : line.release(k.line);
        if (takeOften) {
            const auto part = line.takeSamples();
            samples.insert(samples.end(), part.begin(), part.end());
        }
    }
    clock.advance(totalMs - now);
    const auto rest = line.takeSamples();
    samples.insert(samples.end(), rest.begin(), rest.end());
    return samples;
}

TEST(ToneKeyLine, AMarkKeepsItsLengthAtHalfAmplitudeWithSoftEdges) {
    struct Case {
        std::uint32_t onMs, offMs;
    };
    const Case cases[] = {{100, 160}, {100, 280}, {7, 47}, {250, 251}};
    for (const Case& c : cases) {
        for (const bool takeOften : {false, true}) {
            const auto samples =
                render({{c.onMs, Line::Dtr, true}, {c.offMs, Line::Dtr, false}}, c.offMs + 100, takeOften);
            ASSERT_EQ(samples.size(), static_cast<std::size_t>((c.offMs + 100) * rate / 1000));
            const auto envelope = envelopeOf(samples);
            // Silence before, silence after the fall.
            const std::size_t onSample = c.onMs * rate / 1000, offSample = c.offMs * rate / 1000;
            for (std::size_t n = 0; n < onSample; ++n) EXPECT_EQ(samples[n], 0.0f) << n;
            for (std::size_t n = offSample + 24; n < samples.size(); ++n) EXPECT_NEAR(samples[n], 0.0f, 1e-6) << n;
            // Continuous: no step anywhere larger than the steepest part of a
            // 24-sample raised cosine (taken every other sample).
            double largestStep = 0.0;
            for (std::size_t i = 1; i < envelope.size(); ++i) {
                largestStep = std::max(largestStep, std::fabs(envelope[i] - envelope[i - 1]));
            }
            EXPECT_LE(largestStep, 2.0 * std::numbers::pi / 2.0 / 24.0 + 1e-9) << c.onMs;
            // Above half amplitude for as long as the line was raised, to a sample.
            int half = 0;
            for (const double e : envelope) half += e > 0.5 ? 2 : 0;
            const int markSamples = static_cast<int>(offSample - onSample);
            if (markSamples >= 24) {
                EXPECT_NEAR(half, markSamples, 2) << c.onMs << "-" << c.offMs;
            }
        }
    }
}

TEST(ToneKeyLine, SoundsWhileEitherLineIsRaised) {
    const auto samples = render({{10, Line::Dtr, true},
                                 {20, Line::Rts, true},
                                 {30, Line::Dtr, false},
                                 {30, Line::Dtr, false},
                                 {50, Line::Rts, false}},
                                100, true);
    const auto envelope = envelopeOf(samples);
    // Full from 14 ms (10 ms + the edge) to 50 ms, without a dip at 30 ms.
    for (std::size_t i = 14 * rate / 2000; i < 50 * rate / 2000; ++i) EXPECT_NEAR(envelope[i], 1.0, 1e-6) << i;
    EXPECT_NEAR(envelope[60 * rate / 2000], 0.0, 1e-6);
}

}  // namespace
}  // namespace ditdahl
