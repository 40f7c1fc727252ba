#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "portaudio/RateConverter.h"

namespace ditdahl {
namespace {

TEST(RateConverter, DeliversTheToneAt6000FramesPerSecondInBothChannels) {
    struct Case {
        double rate;
        int channels;
    };
    const Case cases[] = {{48000, 1}, {44100, 2}, {16000, 1}, {8000, 2}, {6000, 1}};
    constexpr double toneHz = 600.0;
    constexpr double seconds = 2.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " frames/s, " << c.channels << " channel(s)");
        // What the device would hand over per block of 128 frames.
        const auto chunk = static_cast<std::uint32_t>(std::ceil(128 * c.rate / 6000));
        auto converter = RateConverter::create(c.rate, c.channels, chunk);
        ASSERT_TRUE(converter);

        const auto inputFrames = static_cast<std::size_t>(seconds * c.rate);
        std::vector<float> input(inputFrames * static_cast<std::size_t>(c.channels));
        for (std::size_t k = 0; k < inputFrames; ++k) {
            const float s = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * toneHz * k / c.rate));
            input[k * c.channels] = s;
            if (c.channels == 2) input[k * 2 + 1] = s / 2;  // the right channel at half the level
        }
        std::vector<std::int16_t> output;
        for (std::size_t k = 0; k < inputFrames; k += chunk) {
            const auto frames = static_cast<std::uint32_t>(std::min<std::size_t>(chunk, inputFrames - k));
            const auto converted = converter->convert(input.data() + k * c.channels, frames);
            output.insert(output.end(), converted.begin(), converted.end());
        }

        const std::size_t outputFrames = output.size() / 2;
        EXPECT_NEAR(static_cast<double>(outputFrames), seconds * 6000, 100);
        // Past the converter's start-up: the tone's frequency, level and
        // channels.
        int crossings = 0;
        double power = 0;
        double rightToLeft = 0;
        const std::size_t from = 1000;
        const std::size_t to = outputFrames - 200;
        for (std::size_t k = from; k < to; ++k) {
            const int left = output[2 * k];
            const int right = output[2 * k + 1];
            if ((output[2 * (k - 1)] < 0) != (left < 0)) ++crossings;
            power += static_cast<double>(left) * left;
            rightToLeft = std::max(rightToLeft, std::abs(right - (c.channels == 2 ? left / 2.0 : left)));
        }
        const double measuredHz = crossings / 2.0 / (static_cast<double>(to - from) / 6000);
        EXPECT_NEAR(measuredHz, toneHz, 4);
        // Half of full scale, as an RMS level.
        EXPECT_NEAR(std::sqrt(power / static_cast<double>(to - from)), 16384 / std::numbers::sqrt2, 200);
        EXPECT_LE(rightToLeft, 400);
    }
}

TEST(RateConverter, RefusesWhatItCannotConvert) {
    EXPECT_FALSE(RateConverter::create(48000, 0, 1024));
    EXPECT_FALSE(RateConverter::create(48000, 1, 0));
    EXPECT_FALSE(RateConverter::create(6000.0 * 300, 1, 1024));  // beyond the converter's range
}

}  // namespace
}  // namespace ditdahl
