#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "automatic/Envelope.h"
#include "automatic/ReceiverTiming.h"
#include "automatic/SpeedSearch.h"
#include "synthesis/Scene.h"

namespace ditdahl::automatic {
namespace {

// The steps buffered when the tone is found: two seconds of noise, then the
// first seconds of a transmission of weighted keying with shaped edges.
std::vector<std::complex<double>> buffered(const std::string& text, double wpm, double snrDb, double seconds,
                                           std::uint64_t seed) {
    constexpr double toneHz = 750.0;
    synthesis::Scene scene;
    scene.stations.push_back(synthesis::steadyKeyer(text, wpm, toneHz));
    auto signal = synthesis::renderScene(scene, snrDb, synthesis::Content::Keyed, seed);
    signal.samples.resize(static_cast<std::size_t>((2.0 + seconds) * 8000.0));
    Downmixer mixer;
    mixer.setTone(toneHz);
    std::vector<std::complex<double>> steps;
    mixer.push(signal.samples.data(), signal.samples.size(), steps);
    return steps;
}

TEST(SpeedSearch, TakesTheFasterOfTwoSpeedsThatFitAlikeNearTheNoise) {
    // At a slow speed's long matched filter, a fast sender's letters fuse
    // into marks that the likelihood decision fits to the classes as well
    // as his own elements at his speed (the first row: 25 wpm found at 11);
    // a slow sender's elements, split at twice his speed, fit far worse.
    struct Case {
        double wpm;
        double snrDb;
        std::uint64_t firstSeed;
        std::uint64_t lastSeed;
    };
    const Case cases[] = {{25.0, -10.0, 282, 282}, {10.0, -9.0, 1, 12}, {12.0, -6.0, 1, 12}};
    const std::string texts[] = {"VVV DE PA3XYZ PA3XYZ TEST", "QRL? QRL? CQ TEST DE OK1RST", "TNX FER QSO ES 73 GL",
                                 "UR SIG 599 HR IN PRAHA = OP JAN"};
    for (const Case& c : cases) {
        for (std::uint64_t seed = c.firstSeed; seed <= c.lastSeed; ++seed) {
            // One and a half to three seconds of the transmission.
            const double seconds = 1.5 + static_cast<double>(seed % 4) * 0.5;
            const auto choice = searchSpeed(buffered(texts[seed % 4], c.wpm, c.snrDb, seconds, seed), 0.0, false);
            if (choice) {
                EXPECT_NEAR(std::log(choice->dotMs * c.wpm / 1200.0), 0.0, 0.3) << c.wpm << " wpm, seed " << seed;
            }
        }
    }
}

}  // namespace
}  // namespace ditdahl::automatic
