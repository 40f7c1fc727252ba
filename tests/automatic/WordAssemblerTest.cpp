#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automatic/ReceiverTiming.h"
#include "automatic/WordAssembler.h"
#include "base/MorseTable.h"

namespace ditdahl::automatic {
namespace {

// A mark of the likelihood decision after a gap, both in dots.
struct Blip {
    double gapBefore;
    double length;
    double strength;
    double evidence;
    double coherence = 1.0;
};

// Feeds a clear "TEST" at 20 wpm and then the marks given, as the decoding
// does: a word ends once its silence is as long as the assembler asks.
std::string assemble(const std::vector<Blip>& after) {
    constexpr double dotMs = 60.0;
    constexpr double dot = dotMs / stepMs;
    std::vector<Blip> marks = {{7.0, 3.0, 1.0, 200.0}, {3.0, 1.0, 1.0, 70.0}, {3.0, 1.0, 1.0, 70.0},
                               {1.0, 1.0, 1.0, 70.0},  {1.0, 1.0, 1.0, 70.0}, {3.0, 3.0, 1.0, 200.0}};
    marks.insert(marks.end(), after.begin(), after.end());
    marks.push_back({20.0, 0.0, 0.0, 0.0});  // the silence at the end

    MorseTable table;
    buildMorseTable(table);
    WordAssembler words(table);
    words.start(0.0, std::nullopt, 3.0 * dotMs);
    words.learnGaps({dotMs, dotMs, 3.0 * dotMs, dotMs, 7.0 * dotMs, dotMs, 3.0 * dotMs}, dotMs);
    std::string decided;
    double at = 0.0;
    for (const Blip& m : marks) {
        const double gapEnd = at + m.gapBefore * dot;
        if (at > 0.0 && m.gapBefore > words.wordEndDots()) words.endWord(gapEnd * stepMs, decided);
        words.take({false, at, gapEnd}, dotMs);
        words.commit(gapEnd * stepMs, decided);
        if (m.length <= 0.0) break;
        at = gapEnd + m.length * dot;
        words.take({true, gapEnd, at, m.evidence, m.strength, m.coherence}, dotMs);
        words.commit(at * stepMs, decided);
    }
    words.endWord(at * stepMs, decided);
    words.flush(decided);
    return decided;
}

TEST(WordAssembler, CrashesAndALeakingNeighbourAfterTheTextAreNotWrittenButTheSendersDotsAre) {
    // Crashes ring shorter than a dot and only partly along the carrier; a
    // run of them after the text, none clear, is noise however many there
    // are. The sender's own dots after it are written.
    struct Case {
        const char* what;
        std::vector<Blip> after;
        const char* expected;
    };
    const Case cases[] = {
        {"four crashes",
         {{10.0, 0.7, 0.45, 60.0}, {0.9, 0.6, 0.16, 5.0}, {5.6, 0.7, 0.2, 14.0}, {2.2, 0.6, 0.33, 27.0}},
         "TEST "},
        {"two crashes", {{12.0, 0.6, 0.4, 40.0}, {1.0, 0.7, 0.3, 20.0}}, "TEST "},
        {"the sender's E E", {{7.0, 1.0, 1.0, 70.0}, {7.0, 1.0, 0.9, 60.0}}, "TEST E E "},
        {"the sender's faint H",
         {{7.0, 1.0, 0.7, 40.0}, {1.0, 1.0, 0.6, 35.0}, {1.0, 1.0, 0.7, 40.0}, {1.0, 1.0, 0.6, 35.0}},
         "TEST H "},
        // On a fade's steep slope a dash's mean lies above where it ends.
        {"the sender's R going down a fade",
         {{7.0, 1.0, 1.0, 70.0}, {1.0, 3.0, 0.8, 200.0}, {1.0, 0.66, 0.38, 338.0}},
         "TEST R "},
        // A slow sender's long word gap, where the level sinks to the noise's:
        // two faint blips of it, close enough to the next word to join it.
        {"two faint blips before a word",
         {{12.0, 1.0, 0.07, 6.0},
          {1.0, 1.0, 0.07, 6.0},
          {3.0, 1.0, 1.0, 70.0},
          {1.0, 1.0, 1.0, 70.0},
          {1.0, 3.0, 1.0, 200.0},
          {3.0, 1.0, 1.0, 70.0},
          {1.0, 3.0, 1.0, 200.0},
          {1.0, 3.0, 1.0, 200.0},
          {1.0, 1.0, 1.0, 70.0}},
         "TEST UP "},
        // The other station's word as it leaks in 40 Hz away, before the
        // search moves to it: its marks turn out of phase, but for three
        // too short to tell.
        {"a neighbour's word",
         {{21.6, 0.9, 0.36, 107.0, 0.04},
          {0.3, 1.3, 0.47, 245.0, 0.03},
          {0.9, 1.0, 0.41, 73.0, 0.06},
          {1.3, 0.9, 0.57, 146.0, 0.05},
          {0.3, 1.3, 0.52, 162.0, 0.03},
          {1.4, 0.5, 0.49, 39.0},
          {1.1, 0.5, 0.42, 28.0},
          {0.9, 0.6, 0.27, 18.0}},
         "TEST "},
    };
    for (const Case& c : cases) EXPECT_EQ(assemble(c.after), c.expected) << c.what;
}

}  // namespace
}  // namespace ditdahl::automatic
