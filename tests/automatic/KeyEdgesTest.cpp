#include <gtest/gtest.h>

#include <vector>

#include "automatic/KeyEdges.h"

namespace ditdahl::automatic {
namespace {

std::vector<KeyRun> runsOf(const std::vector<double>& db, double minimumSteps) {
    KeyEdges edges;
    edges.reset(0.0);
    edges.setThresholds(11.0, 9.0);
    edges.setMinimumSteps(minimumSteps);
    std::vector<KeyRun> runs;
    for (std::size_t i = 0; i < db.size(); ++i) edges.push(static_cast<double>(i), db[i], runs);
    return runs;
}

TEST(KeyEdges, EdgeTimesAreInterpolatedBetweenSteps) {
    // Rises through 11 a quarter of the way from step 2 to 3, falls through
    // 9 halfway from step 7 to 8.
    const std::vector<double> db = {0, 0, 8, 20, 20, 20, 20, 12, 6, 0, 0, 0, 0};
    const auto runs = runsOf(db, 2.0);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_FALSE(runs[0].mark);
    EXPECT_DOUBLE_EQ(runs[0].end, 2.25);
    EXPECT_TRUE(runs[1].mark);
    EXPECT_DOUBLE_EQ(runs[1].start, 2.25);
    EXPECT_DOUBLE_EQ(runs[1].end, 7.5);
}

TEST(KeyEdges, HysteresisAndTheGlitchFilterIgnoreFlickers) {
    struct Case {
        const char* what;
        std::vector<double> db;
        std::size_t runs;  // finished runs: gap, mark, (gap)
    };
    const Case cases[] = {
        {"wobble between the thresholds", {0, 20, 20, 10, 12, 10, 12, 20, 20, 0, 0, 0, 0}, 2},
        {"one-step drop inside a mark", {0, 20, 20, 20, 0, 20, 20, 20, 0, 0, 0, 0}, 2},
        {"one-step spike in a gap", {0, 0, 0, 20, 0, 0, 0, 0, 0, 0}, 0},
        {"a drop long enough to count", {0, 20, 20, 20, 0, 0, 0, 20, 20, 20, 0, 0, 0, 0}, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(runsOf(c.db, 2.0).size(), c.runs) << c.what;
}

}  // namespace
}  // namespace ditdahl::automatic
