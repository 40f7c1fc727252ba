#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/ElementDecoder.h"
#include "decoder/SpeedTiming.h"
#include "station/ControlIds.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

// A station receiving at 20 wpm (dot 60 ms, dash 180 ms), idle, with the
// TX speed list filled as the window fills it.
struct Decoding {
    explicit Decoding(std::uint32_t startTick = 1000) : station(ManualClock::Mode::AutoAdvance, startTick) {
        StationState& state = station.state;
        for (int wpm = 10; wpm <= 30; ++wpm) station.window.addEntry(ids::txSpeedList, std::to_string(wpm));
        station.window.select(ids::txSpeedList, 10);
        state.txSpeedWpm = 20;
        applyTxSpeedToReceive(state);
        setIdleControls(state, true);
    }
    void mark(std::uint32_t ms) { run(true, ms); }
    void space(std::uint32_t ms) { run(false, ms); }
    void run(bool isMark, std::uint32_t ms) {
        station.state.keyDown = isMark;
        decodeRun(station.state, ms);
    }
    // Keys a pattern with one-dot gaps, without the space that ends it.
    void pattern(std::string_view elements) {
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (i > 0) space(60);
            mark(elements[i] == '.' ? 60 : 180);
        }
    }
    std::string line() const { return station.state.trafficLine.str(); }
    std::vector<int> history() const {
        const MarkHistory& h = station.state.markHistory;
        return {h.entries.begin(), h.entries.begin() + h.count};
    }

    testing::TestStation station;
};

TEST(ElementDecoder, MarkWindowsAt20Wpm) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {40, "."}, {60, "."}, {89, "."}, {39, ""}, {90, ""}, {118, ""}, {119, "-"}, {180, "-"}, {269, "-"}, {270, ""},
    };
    for (const auto& [ms, element] : cases) {
        Decoding d;
        d.mark(ms);
        EXPECT_EQ(d.station.state.symbolBuffer.str(), element) << ms << " ms";
        EXPECT_EQ(d.station.state.elementPending, *element != '\0') << ms << " ms";
    }
}

TEST(ElementDecoder, SpaceAfterAnElement) {
    struct Case {
        const char* name;
        bool afterCharacter;  // a character was decoded just before (S = 0)
        std::uint32_t spaceMs;
        std::string line;      // what the dot and the space add
        std::string elements;  // left in symbolBuffer
    };
    const Case cases[] = {
        {"element gap", false, 120, "", "."},
        {"character gap", false, 121, "E", ""},
        {"longest character gap", false, 420, "E", ""},
        {"word gap in the first character", false, 421, "", "."},
        {"word gap after a character", true, 421, " ", ""},
        {"character gap after a character", true, 121, "E", ""},
    };
    for (const Case& c : cases) {
        Decoding d;
        if (c.afterCharacter) {
            d.pattern("-");
            d.space(180);  // "T"
        }
        const std::string before = d.line();
        d.mark(60);
        d.space(c.spaceMs);
        EXPECT_EQ(d.line().substr(before.size()), c.line) << c.name;
        EXPECT_EQ(d.station.state.symbolBuffer.str(), c.elements) << c.name;
        EXPECT_FALSE(d.station.state.elementPending) << c.name;
    }
}

TEST(ElementDecoder, ElementsKeptByAWordGapGoOnOrAreDropped) {
    Decoding kept;
    kept.mark(60);
    kept.space(421);
    kept.mark(180);
    kept.space(180);
    EXPECT_EQ(kept.line(), "A");

    Decoding dropped;
    dropped.mark(60);
    dropped.space(421);
    dropped.space(60);
    EXPECT_EQ(dropped.line(), "");
    EXPECT_EQ(dropped.station.state.symbolBuffer.str(), "");
}

TEST(ElementDecoder, CharacterThenWordSpaceThenNothing) {
    Decoding d;
    d.mark(60);
    d.space(60);
    d.mark(180);
    d.space(180);
    EXPECT_EQ(d.line(), "A");
    EXPECT_EQ(d.station.window.text(ids::symbolBox), ".-");
    EXPECT_EQ(d.station.window.text(ids::rxTxBuffer), "A");
    d.space(60);
    EXPECT_EQ(d.line(), "A ");
    d.space(400);
    d.space(60);
    EXPECT_EQ(d.line(), "A ");
    EXPECT_EQ(d.station.window.text(ids::rxTxBuffer), "A ");
}

TEST(ElementDecoder, PatternsDecodeAsTheTableSaysWithRunTogetherSignals) {
    const std::pair<const char*, const char*> cases[] = {
        {"...---...", "SOS"}, {"-.-.--.-", "CQ"}, {"...-.-", "SK"}, {"......", "#"},
        {".-.-.-", "."},      {"-----", "0"},     {"--..--", ","},  {"...............", "#"},
    };
    for (const auto& [pattern, text] : cases) {
        Decoding d;
        d.pattern(pattern);
        d.space(180);
        EXPECT_EQ(d.line(), text) << pattern;
        EXPECT_EQ(d.station.window.text(ids::symbolBox), pattern);
    }
}

TEST(ElementDecoder, SixteenthElementIsRefused) {
    struct Case {
        bool afterCharacter;
        std::string line;
    };
    for (const Case& c : {Case{false, ""}, Case{true, "T "}}) {
        Decoding d;
        d.station.state.autoRxSpeed = true;
        if (c.afterCharacter) {
            d.pattern("-");
            d.space(180);
        }
        d.pattern("................");
        EXPECT_EQ(d.station.state.symbolBuffer.size(), 15u);
        // The refused mark is not recorded for the speed estimate either.
        EXPECT_EQ(d.history().size(), c.afterCharacter ? 16u : 15u);
        d.space(180);
        EXPECT_EQ(d.line(), c.line);
        EXPECT_EQ(d.station.state.symbolBuffer.str(), "");
    }
}

TEST(ElementDecoder, AutomaticModeKeepsThe32NewestMarks) {
    Decoding d;
    d.station.state.autoRxSpeed = true;
    std::vector<int> expected;
    for (int i = 1; i <= 33; ++i) {
        const int ms = i % 2 ? 60 : 180;
        d.mark(static_cast<std::uint32_t>(ms + i));
        if (i > 1) expected.push_back(ms + i);
        d.space(200);
    }
    EXPECT_EQ(d.history(), expected);
}

TEST(ElementDecoder, AutomaticModeFollowsTheMarks) {
    Decoding d;
    d.station.state.autoRxSpeed = true;
    for (int i = 0; i < 4; ++i) {
        d.mark(48);
        d.mark(144);
    }
    EXPECT_EQ(d.station.state.rxSpeedWpm, 25);
    EXPECT_EQ(d.station.state.dotMs, 48);
    EXPECT_EQ(d.station.state.dashMs, 144);
    EXPECT_EQ(d.station.window.text(ids::rxSpeedBox), "25");
}

TEST(ElementDecoder, AutoTxSpeedSelectsTheEqualEntryOnly) {
    struct Case {
        const char* rxSpeed;
        int selected;  // index in the list, -1: unchanged
        int txSpeedWpm;
    };
    const Case cases[] = {{"25", 15, 25}, {"30", 20, 30}, {"7", 10, 20}, {"2", 10, 20}, {"3", 10, 20}};
    for (const Case& c : cases) {
        Decoding d;
        d.station.state.autoRxSpeed = true;
        d.station.state.autoTxSpeed = true;
        d.station.window.setText(ids::rxSpeedBox, c.rxSpeed);
        d.mark(60);  // a single mark estimates nothing, so the box keeps its text
        EXPECT_EQ(d.station.window.selectedIndex(ids::txSpeedList), c.selected) << c.rxSpeed;
        EXPECT_EQ(d.station.state.txSpeedWpm, c.txSpeedWpm) << c.rxSpeed;
        EXPECT_EQ(d.station.state.rxSpeedWpm, 20) << c.rxSpeed;
        EXPECT_EQ(d.station.state.dotMs, 60) << c.rxSpeed;
    }
}

TEST(ElementDecoder, MeasurementEndsOnlyAfterMoreThanTenSecondsAcrossATickWrap) {
    for (std::uint32_t start : {1000u, 0xFFFFFFFFu - 4000u, 0xFFFFFFFFu - 9999u}) {
        Decoding d(start);
        StationState& state = d.station.state;
        state.speedSensing = true;
        setIdleControls(state, false);
        d.mark(60);  // begins it at T
        EXPECT_EQ(state.senseStartTick, start);
        d.mark(180);
        d.station.clock.advance(10000);
        d.space(60);
        EXPECT_TRUE(state.speedSensing) << start << ": T + 10000 does not end it";
        d.station.clock.advance(1);
        d.mark(60);
        EXPECT_FALSE(state.speedSensing) << start << ": T + 10001 ends it";
        EXPECT_EQ(state.senseStartTick, 0u);
        EXPECT_EQ(state.rxSpeedWpm, 20);
        EXPECT_TRUE(d.station.window.isEnabled(ids::senseSpeedButton));
        EXPECT_TRUE(d.station.window.isEnabled(ids::transmitButton));
        EXPECT_FALSE(d.station.window.isEnabled(ids::stopButton));
        // The ending mark stays in the history for the automatic mode.
        EXPECT_EQ(d.history(), (std::vector<int>{60, 180, 60}));
        EXPECT_EQ(d.line(), "") << "nothing is decoded while measuring";
    }
}

TEST(ElementDecoder, MeasurementEndings) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> marks;  // separated by 50 ms spaces
        bool stop;
        int wpm;
        std::string dotBox;
    };
    std::vector<std::uint32_t> full;
    for (int i = 0; i < 16; ++i) {
        full.push_back(80);
        full.push_back(240);
    }
    const Case cases[] = {
        {"full history", full, false, 15, "80"},
        {"stop with marks", {100, 300, 100, 300}, true, 12, "100"},
        {"stop with no marks", {}, true, 20, "60"},
    };
    for (const Case& c : cases) {
        Decoding d;
        StationState& state = d.station.state;
        state.speedSensing = true;
        d.station.window.setText(ids::dotBox, "");
        d.space(50);
        for (std::uint32_t ms : c.marks) {
            d.mark(ms);
            d.space(50);
        }
        if (c.stop) state.stopRequested = true;
        d.mark(c.stop ? 70 : 80);
        EXPECT_FALSE(state.speedSensing) << c.name;
        EXPECT_EQ(state.rxSpeedWpm, c.wpm) << c.name;
        EXPECT_EQ(d.station.window.text(ids::dotBox), c.marks.empty() ? "" : c.dotBox) << c.name;
    }
}

TEST(ElementDecoder, NothingChangesWhileATransmissionRuns) {
    Decoding d;
    StationState& state = d.station.state;
    state.trafficLine.assign(std::string(70, 'X'));
    state.receiveEnabled = false;
    state.autoRxSpeed = true;
    d.pattern(".-");
    d.space(180);
    d.space(60);
    EXPECT_EQ(d.line(), std::string(70, 'X'));
    EXPECT_EQ(d.station.window.entryCount(ids::trafficList), 0);
    EXPECT_TRUE(d.history().empty());
}

TEST(ElementDecoder, LinePastSixtyCharactersIsRecordedAndEmptied) {
    Decoding d;
    std::string seen;
    d.station.state.receivedTextObserver = [&seen](std::string_view text) { seen += text; };
    for (int i = 0; i < 60; ++i) {
        d.mark(60);
        d.space(180);
    }
    EXPECT_EQ(d.line(), std::string(60, 'E'));
    EXPECT_EQ(d.station.window.entryCount(ids::trafficList), 0);
    d.mark(60);
    d.space(180);
    EXPECT_EQ(d.line(), "");
    ASSERT_EQ(d.station.window.entryCount(ids::trafficList), 1);
    const std::string entry = d.station.window.entryText(ids::trafficList, 0);
    EXPECT_EQ(entry.substr(18), "RX:   " + std::string(61, 'E'));
    d.space(60);
    EXPECT_EQ(seen, std::string(61, 'E') + " ");
}

}  // namespace
}  // namespace ditdahl
