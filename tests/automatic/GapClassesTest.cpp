#include <gtest/gtest.h>

#include <vector>

#include "automatic/GapClasses.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

TEST(GapClasses, LearnsStretchedSpacingAndKeepsTheStandardOnScatteredGaps) {
    struct Case {
        double letterDots;
        double wordDots;
        double scatter;  // each gap times 1 +- this, at random
        double expectedLetter;
        double expectedWord;
    };
    const Case cases[] = {
        {3.0, 7.0, 0.1, 3.0, 7.0},   {6.0, 14.0, 0.1, 6.0, 14.0},
        {9.0, 21.0, 0.1, 9.0, 21.0}, {4.5, 0.0, 0.1, 4.5, 10.5},  // no word gap seen yet
        {9.0, 21.0, 0.9, 3.0, 7.0},                               // noise cutting marks, not spacing
    };
    for (const Case& c : cases) {
        GapClasses gaps;
        gaps.reset();
        synthesis::NoiseGenerator random(3);
        for (int i = 0; i < 30; ++i) {
            // Three letter gaps to a word gap, element gaps between.
            const double dots = i % 4 == 3 && c.wordDots > 0.0 ? c.wordDots : c.letterDots;
            gaps.take(dots * (1.0 + c.scatter * (2.0 * random.uniform() - 1.0)));
            gaps.take(1.0);
        }
        EXPECT_NEAR(gaps.letterDots(), c.expectedLetter, 0.1 * c.expectedLetter) << c.letterDots << " " << c.scatter;
        EXPECT_NEAR(gaps.wordDots(), c.expectedWord, 0.1 * c.expectedWord) << c.letterDots << " " << c.scatter;
        EXPECT_GT(gaps.wordEndDots(), gaps.letterDots() * 1.2);
        EXPECT_LT(gaps.wordEndDots(), gaps.wordDots());
    }
}

TEST(GapClasses, TheFirstGapsTellAStretchedSpacingOnlyWhenTheyFallFarApart) {
    struct Case {
        std::vector<double> gaps;  // dots
        double expectedLetter;
        double expectedWord;
    };
    const Case cases[] = {
        {{7.8, 18.3}, 7.8, 18.3},       // "C Q" and the gap after it
        {{7.8, 18.3, 7.6}, 7.7, 18.3},  // and the next letter gap
        {{7.0, 7.2, 6.9}, 3.0, 7.0},    // "R R F": word gaps, too few for one class
        {{3.1, 7.2}, 3.1, 7.2},         // a letter and a word gap
        {{3.0, 3.4}, 3.0, 7.0},         // two letter gaps
        {{7.1, 23.7}, 3.0, 7.0},        // a word gap and a fade's silence
        {{3.0, 7.0, 35.0}, 3.0, 7.0},   // a pause, not a gap of the text
    };
    for (const Case& c : cases) {
        GapClasses gaps;
        gaps.reset();
        for (double dots : c.gaps) gaps.take(dots);
        EXPECT_FALSE(gaps.learnt()) << c.gaps.size();
        EXPECT_NEAR(gaps.letterDots(), c.expectedLetter, 0.05 * c.expectedLetter) << c.gaps.front();
        EXPECT_NEAR(gaps.wordDots(), c.expectedWord, 0.05 * c.expectedWord) << c.gaps.front();
    }
}

}  // namespace
}  // namespace ditdahl::automatic
