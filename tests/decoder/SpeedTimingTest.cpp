#include <gtest/gtest.h>

#include <vector>

#include "decoder/SpeedTiming.h"
#include "station/ControlIds.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

struct Timing {
    int wpm, dotMs, dashMs;
};

Timing timingOf(const StationState& s) { return {s.rxSpeedWpm, s.dotMs, s.dashMs}; }

std::vector<std::string> boxes(const ControlModel& w) {
    return {w.text(ids::dotBox), w.text(ids::dashBox), w.text(ids::rxSpeedBox)};
}

void setHistory(StationState& s, const std::vector<int>& marks) {
    s.markHistory.count = static_cast<int>(marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) s.markHistory.entries[i] = marks[i];
}

std::vector<int> repeat(int count, int value, std::vector<int> tail = {}) {
    std::vector<int> v(count, value);
    v.insert(v.end(), tail.begin(), tail.end());
    return v;
}

TEST(SpeedTiming, SendingSpeedBecomesTheReceiveTiming) {
    for (const Timing& t : std::initializer_list<Timing>{
             {10, 120, 360}, {13, 92, 276}, {20, 60, 180}, {25, 48, 144}, {30, 40, 120}, {11, 109, 327}}) {
        testing::TestStation station;
        station.state.txSpeedWpm = t.wpm;
        applyTxSpeedToReceive(station.state);
        const Timing got = timingOf(station.state);
        EXPECT_EQ(got.wpm, t.wpm);
        EXPECT_EQ(got.dotMs, t.dotMs) << t.wpm;
        EXPECT_EQ(got.dashMs, t.dashMs) << t.wpm;
        EXPECT_EQ(boxes(station.window),
                  (std::vector<std::string>{std::to_string(t.dotMs), std::to_string(t.dashMs), std::to_string(t.wpm)}));
    }
    // Without a sending speed there is no timing to take: nothing changes.
    testing::TestStation station;
    station.state.rxSpeedWpm = 20;
    applyTxSpeedToReceive(station.state);
    EXPECT_EQ(station.state.rxSpeedWpm, 20);
    EXPECT_EQ(station.window.text(ids::dotBox), "");
}

TEST(SpeedTiming, EstimatesFromMarkHistory) {
    struct Case {
        const char* name;
        std::vector<int> marks;
        Timing expected;
    };
    const Case cases[] = {
        {"16x60 16x180",
         [] {
             auto v = repeat(16, 60);
             v.resize(32, 180);
             return v;
         }(),
         {20, 60, 180}},
        {"8x50 8x170",
         [] {
             auto v = repeat(8, 50);
             v.resize(16, 170);
             return v;
         }(),
         {22, 54, 162}},
        {"min is half of max", {60, 121}, {24, 50, 150}},
        {"capped at 30",
         [] {
             auto v = repeat(5, 20);
             v.resize(10, 60);
             return v;
         }(),
         {30, 40, 120}},
        {"60 and 180 in any proportion", repeat(3, 180, {60}), {20, 60, 180}},
        {"one dash, many dots", repeat(20, 60, {180}), {20, 60, 180}},
    };
    for (const Case& c : cases) {
        testing::TestStation station;
        setHistory(station.state, c.marks);
        estimateSpeed(station.state);
        const Timing got = timingOf(station.state);
        EXPECT_EQ(got.wpm, c.expected.wpm) << c.name;
        EXPECT_EQ(got.dotMs, c.expected.dotMs) << c.name;
        EXPECT_EQ(got.dashMs, c.expected.dashMs) << c.name;
        EXPECT_EQ(boxes(station.window),
                  (std::vector<std::string>{std::to_string(c.expected.dotMs), std::to_string(c.expected.dashMs),
                                            std::to_string(c.expected.wpm)}))
            << c.name;
    }
}

TEST(SpeedTiming, HistoriesThatCannotTellDotsFromDashesChangeNothing) {
    const std::vector<int> histories[] = {
        {},                    // empty
        {55, 60, 65, 58, 62},  // shortest above half the longest
        {90},                  // a single mark
        {60, 60, 60},          // nothing above the mean
    };
    for (const auto& marks : histories) {
        testing::TestStation station;
        station.state.rxSpeedWpm = 13;
        station.state.dotMs = 92;
        station.state.dashMs = 276;
        setHistory(station.state, marks);
        estimateSpeed(station.state);
        EXPECT_EQ(station.state.rxSpeedWpm, 13);
        EXPECT_EQ(station.state.dotMs, 92);
        EXPECT_EQ(boxes(station.window), (std::vector<std::string>{"", "", ""})) << "boxes must not be rewritten";
    }
}

TEST(SpeedTiming, EstimatesWithoutASpeedKeepTheTimingButShowIt) {
    // A dot estimate of 0, or marks so long that the speed comes out as 0 wpm:
    // the timing stays, the boxes show it again.
    const std::vector<int> histories[] = {{0, 0, 0, 5}, {1300, 4000}, {500, 3700}};
    for (const auto& marks : histories) {
        testing::TestStation station;
        station.state.rxSpeedWpm = 13;
        station.state.dotMs = 92;
        station.state.dashMs = 276;
        setHistory(station.state, marks);
        estimateSpeed(station.state);
        EXPECT_EQ(station.state.rxSpeedWpm, 13);
        EXPECT_EQ(station.state.dashMs, 276);
        EXPECT_EQ(boxes(station.window), (std::vector<std::string>{"92", "276", "13"}));
    }
}

}  // namespace
}  // namespace ditdahl
