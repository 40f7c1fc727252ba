#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "automatic/TrackingDownmixer.h"
#include "base/CaptureFormat.h"

namespace ditdahl::automatic {
namespace {

TEST(TrackingDownmixer, SettlesOnTheCarrierAndIsNotPulledByANeighbour) {
    // A carrier a few hertz off the search's tone is followed; a neighbour
    // whose turn between sums lies far outside the oscillator's reach (seen
    // as 23 and 20 Hz the other way) leaves it at the search's tone, where
    // the followed station's first marks will come.
    struct Case {
        const char* what;
        double carrierOffsetHz;
        double expectedOffsetHz;
    };
    const Case cases[] = {
        {"carrier 4 Hz above", 4.0, 4.0},
        {"carrier 3 Hz below", -3.0, -3.0},
        {"neighbour 77 Hz above, alone", 77.0, 0.0},
        {"neighbour 70 Hz below, alone", -70.0, 0.0},
    };
    constexpr double toneHz = 700.0;
    const double pi = std::acos(-1.0);
    for (const Case& c : cases) {
        std::vector<double> samples(3 * captureFramesPerSecond);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = 8000.0 * std::sin(2.0 * pi * (toneHz + c.carrierOffsetHz) * static_cast<double>(i) /
                                           captureFramesPerSecond);
        TrackingDownmixer mixer;
        mixer.start(toneHz);
        std::vector<std::complex<double>> steps;
        mixer.push(samples.data(), samples.size(), steps);
        EXPECT_NEAR(mixer.oscillatorHz(), toneHz + c.expectedOffsetHz, 0.5) << c.what;
    }
}

}  // namespace
}  // namespace ditdahl::automatic
