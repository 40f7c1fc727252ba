#include <gtest/gtest.h>

#include <cmath>

#include "automatic/QualityGate.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

TEST(QualityGate, OpensOnMorseEvenWhenHandSentAndStaysShutOnNoise) {
    struct Case {
        const char* what;
        double spread;  // random stretch of Morse durations; < 0: random durations
        bool open;
    };
    const Case cases[] = {{"machine-sent", 0.0, true},
                          {"hand-sent, +-20 %", 0.2, true},
                          {"durations from 0.3 to 10 dots, evenly in log", -1.0, false},
                          {"durations from 0.5 to 5 dots, evenly in log", -2.0, false}};
    const double dotMs = 60.0;
    const int markDots[] = {1, 3, 1, 1, 3, 3, 1, 3};
    const int gapDots[] = {1, 3, 1, 7, 1, 1, 3, 1};
    for (const Case& c : cases) {
        QualityGate gate;
        synthesis::NoiseGenerator random(41);
        EXPECT_TRUE(gate.undecided());
        bool everOpen = false;
        for (int i = 0; i < 200; ++i) {
            for (bool mark : {true, false}) {
                double ms;
                if (c.spread >= 0.0) {
                    const int dots = mark ? markDots[i % 8] : gapDots[i % 8];
                    ms = dots * dotMs * (1.0 + c.spread * (2.0 * random.uniform() - 1.0));
                } else {
                    const double low = c.spread < -1.5 ? 0.5 : 0.3;
                    const double high = c.spread < -1.5 ? 5.0 : 10.0;
                    ms = dotMs * std::exp(std::log(low) + random.uniform() * std::log(high / low));
                }
                gate.add(ms, mark, dotMs);
                if (i >= 8) everOpen = everOpen || gate.open();
            }
        }
        EXPECT_FALSE(gate.undecided());
        if (c.open) {
            EXPECT_TRUE(gate.open()) << c.what;
        } else {
            EXPECT_FALSE(everOpen) << c.what << ", deviation " << gate.deviation();
        }
    }
}

}  // namespace
}  // namespace ditdahl::automatic
