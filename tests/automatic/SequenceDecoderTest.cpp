#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automatic/SequenceDecoder.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::automatic {
namespace {

struct Element {
    bool mark;
    double dots;
    double strength = 1.0;  // along the carrier, over the level of the marks
    double evidence = 0.0;
    double trackedDotMs = 60.0;  // the dot the tracker says at the mark
};

// Feeds the durations (at a 60 ms dot) with their end times, a pause at the
// end, and returns everything written.
std::string decodeDurations(const std::vector<Element>& elements, double lagMs = 500.0) {
    MorseTable table;
    buildMorseTable(table);
    SequenceDecoder decoder(table);
    decoder.setLagMs(lagMs);
    std::string out;
    double t = 0.0;
    for (const Element& e : elements) {
        t += e.dots * 60.0;
        if (e.mark) {
            decoder.mark(e.dots * 60.0, e.trackedDotMs, t, e.strength, e.evidence);
        } else {
            decoder.gap(e.dots * 60.0);
        }
        decoder.commit(t, out);
    }
    decoder.pause(t + 600.0);
    decoder.commitAll(out);
    return out;
}

TEST(SequenceDecoder, DecodesHandMadeDurationsWithSloppyTiming) {
    // "CQ DE" as a hand sender keys it: C Q with uneven elements, a stretched
    // word gap, D and E.
    const std::vector<Element> elements = {
        {true, 3.4},  {false, 0.8}, {true, 1.3},  {false, 1.1}, {true, 2.6},  {false, 1.2}, {true, 0.8},  // C
        {false, 3.6}, {true, 2.7},  {false, 0.9}, {true, 3.3},  {false, 1.0}, {true, 1.2},  {false, 0.8},
        {true, 3.1},                                                                        // Q
        {false, 8.5}, {true, 3.0},  {false, 1.0}, {true, 1.4},  {false, 0.9}, {true, 0.7},  // D
        {false, 2.6}, {true, 1.2},                                                          // E
    };
    EXPECT_EQ(decodeDurations(elements), "CQ DE ");
}

// Appends Morse patterns (letters apart by blanks) with the dot this many
// times the tracked 60 ms, then a word gap at that speed.
void send(std::vector<Element>& elements, const std::string& patterns, double factor) {
    for (char c : patterns) {
        if (c == ' ') {
            elements.back().dots = 3.0 * factor;
            continue;
        }
        elements.push_back({true, (c == '.' ? 1.0 : 3.0) * factor});
        elements.push_back({false, factor});
    }
    elements.back().dots = 7.0 * factor;
}

// The tracked dot still says 60 ms when the sender has just changed speed:
// the first word at the new speed is read at it, letters, gaps and the word
// space before it, not at the old one ("OP" as "SH", "ON" as "TTT TE"). So
// it is where the tracker takes up the new speed from the word's second
// mark on (the space is not dropped for reading the first letter at the
// old speed, and the rest at the tracked one).
TEST(SequenceDecoder, ReadsTheFirstWordsAfterASpeedChangeAtTheNewSpeed) {
    struct Case {
        const char* before;
        const char* after;
        double factor;
        const char* expected;
        bool tracked = false;
    };
    const Case cases[] = {
        {".-", "--- .--.", 33.0 / 60.0, "A OP "},
        {"-... -", "--- .--.", 0.54, "BT OP "},
        {".-", "--- -.", 1.7, "A ON "},
        {"-.-. --.-", ".- -. - / ...- . .-. -", 1.67, "CQ ANT VERT "},
        {"-.. .", ". .- ...--", 0.56, "DE EA3 ", true},
    };
    for (const Case& c : cases) {
        std::vector<Element> elements;
        send(elements, c.before, 1.0);
        elements.back().dots = 7.0 * c.factor;  // the word gap is the new speed's
        const std::size_t firstNew = elements.size();
        std::string after = c.after;
        for (std::size_t word = 0; word != std::string::npos;) {
            const std::size_t slash = after.find(" / ", word);
            send(elements, after.substr(word, slash == std::string::npos ? slash : slash - word), c.factor);
            word = slash == std::string::npos ? slash : slash + 3;
        }
        elements.pop_back();
        if (c.tracked) {
            for (std::size_t k = firstNew + 2; k < elements.size(); ++k) elements[k].trackedDotMs = 60.0 * c.factor;
        }
        EXPECT_EQ(decodeDurations(elements, 250.0), c.expected) << c.after;
    }
}

// A crash in a word gap passes for a dot: much fainter along the carrier
// than the marks (out of phase), much louder and shorter (in phase), or a
// blip far shorter than a dot. Read as noise, the word gap stays whole. As
// faint as a fade makes a mark, faint but hardly over the noise, or as loud
// as a rising fade makes a dot-long mark, it is an E.
TEST(SequenceDecoder, ACrashInAGapIsReadAsNoise) {
    struct Case {
        double dots;
        double strength;
        double evidence;
        const char* expected;
    };
    const Case cases[] = {{0.8, 0.28, 20.0, "X Q "}, {0.8, 0.6, 300.0, "XEQ "}, {0.8, 0.3, 3.0, "XEQ "},
                          {0.3, 1.0, 0.0, "X Q "},   {0.4, 0.8, 20.0, "X Q "},  {0.6, 2.5, 0.0, "X Q "},
                          {1.0, 2.5, 0.0, "XEQ "}};
    for (const Case& c : cases) {
        std::vector<Element> elements;
        for (char e : std::string("-..-"))
            elements.insert(elements.end(), {{true, e == '.' ? 1.0 : 3.0}, {false, 1.0}});
        elements.back().dots = 3.4;
        elements.insert(elements.end(), {{true, c.dots, c.strength, c.evidence}, {false, 2.7}});
        for (char e : std::string("--.-"))
            elements.insert(elements.end(), {{true, e == '.' ? 1.0 : 3.0}, {false, 1.0}});
        elements.pop_back();
        EXPECT_EQ(decodeDurations(elements), c.expected) << c.dots << " dots " << c.strength << " " << c.evidence;
    }
}

TEST(SequenceDecoder, WritesProcedureSignalsAsLettersAndSkipsUnknownPatterns) {
    std::vector<Element> sos;
    for (char c : std::string("...---...")) {
        sos.push_back({true, c == '.' ? 1.0 : 3.0});
        sos.push_back({false, 1.0});
    }
    sos.pop_back();
    EXPECT_EQ(decodeDurations(sos), "SOS ");
    // A run of dots is no character. Eight are split once into two
    // characters of dots (such as "HH" or "5S") more cheaply than they are
    // dropped; "#" is never written.
    auto dots = [](int count) {
        std::vector<Element> elements;
        for (int i = 0; i < count; ++i) {
            elements.push_back({true, 1.0});
            elements.push_back({false, 1.0});
        }
        elements.pop_back();
        return elements;
    };
    const std::string eight = decodeDurations(dots(8));
    ASSERT_EQ(eight.size(), 3u) << eight;
    MorseTable table;
    buildMorseTable(table);
    const std::string_view first = table.pattern(static_cast<unsigned char>(eight[0]));
    const std::string_view second = table.pattern(static_cast<unsigned char>(eight[1]));
    EXPECT_EQ(std::string(first) + std::string(second), "........") << eight;
    for (int count : {6, 7, 16, 30}) EXPECT_EQ(decodeDurations(dots(count)).find('#'), std::string::npos) << count;
}

TEST(SequenceDecoder, AmbiguousElementIsSettledByTheTree) {
    // The last mark of ".-.-." ("+") is long, nearer a dash than a dot; but
    // ".-.--" is no character, so the search keeps it a dot.
    const std::vector<Element> plus = {{true, 1},  {false, 1}, {true, 3},  {false, 1}, {true, 1},
                                       {false, 1}, {true, 3},  {false, 1}, {true, 2}};
    EXPECT_EQ(decodeDurations(plus), "+ ");
}

TEST(SequenceDecoder, HoldsCharactersForTheLagThenWritesThem) {
    MorseTable table;
    buildMorseTable(table);
    SequenceDecoder decoder(table);
    decoder.setLagMs(500.0);
    std::string out;
    decoder.mark(60.0, 60.0, 60.0);  // E
    decoder.gap(180.0);
    decoder.mark(60.0, 60.0, 300.0);  // the next mark ends the letter gap at 240 ms
    decoder.commit(700.0, out);
    EXPECT_EQ(out, "");
    decoder.commit(740.0, out);
    EXPECT_EQ(out, "E");
}

TEST(SequenceDecoder, SilencedTextIsDecidedButNotWrittenAgain) {
    MorseTable table;
    buildMorseTable(table);
    SequenceDecoder decoder(table);
    // The T written before ended at 172 ms; read again, its last edge
    // comes two steps later.
    decoder.silenceUntil(172.0);
    std::string out;
    decoder.mark(180.0, 60.0, 180.0);  // T
    decoder.gap(180.0);
    decoder.mark(60.0, 60.0, 420.0);  // E
    decoder.pause(1200.0);
    decoder.commitAll(out);
    EXPECT_EQ(out, "E ");
    EXPECT_DOUBLE_EQ(decoder.lastDecidedMs(), 420.0);
}

}  // namespace
}  // namespace ditdahl::automatic
