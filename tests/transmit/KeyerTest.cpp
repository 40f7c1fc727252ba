#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "doubles/RecordingKeyLine.h"
#include "support/Station.h"
#include "transmit/Keyer.h"

namespace ditdahl {
namespace {

using testing::TestStation;

struct KeyedStation : TestStation {
    explicit KeyedStation(int wpm, bool onDtr = true) {
        line = std::make_shared<RecordingKeyLine>(clock);
        state.pttPort.set(line);
        state.txSpeedWpm = wpm;
        state.pttOnDtr = onDtr;
    }
    // Keys c and gives its line changes as times from the start of the
    // character, and its whole length.
    std::vector<LineChange> key(unsigned char c, long long* lengthMs = nullptr) {
        const std::uint32_t start = clock.tickCount();
        const std::size_t before = line->changes().size();
        keyCharacter(state, c);
        if (lengthMs) *lengthMs = clock.tickCount() - start;
        std::vector<LineChange> changes = line->changes();
        changes.erase(changes.begin(), changes.begin() + static_cast<std::ptrdiff_t>(before));
        for (LineChange& change : changes) change.tick -= start;
        return changes;
    }
    std::shared_ptr<RecordingKeyLine> line;
};

TEST(Keyer, TheTimingTableAtEveryOfferedSpeed) {
    struct Row {
        int wpm, dotMs, dashMs, characterEndMs, pauseMs;
    };
    // The figures an operator can check against a stopwatch.
    const Row table[] = {
        {10, 120, 360, 288, 1080}, {11, 109, 327, 261, 981}, {12, 100, 300, 240, 900}, {15, 80, 240, 192, 720},
        {18, 66, 198, 158, 594},   {20, 60, 180, 144, 540},  {25, 48, 144, 115, 432},  {30, 40, 120, 96, 360},
    };
    for (const Row& row : table) {
        KeyedStation s(row.wpm);
        long long lengthMs = 0;
        const auto a = s.key('A', &lengthMs);
        const std::uint32_t dot = static_cast<std::uint32_t>(row.dotMs);
        const std::uint32_t dash = static_cast<std::uint32_t>(row.dashMs);
        const std::vector<LineChange> expected = {
            {0, Line::Dtr, true},
            {dot, Line::Dtr, false},
            {2 * dot, Line::Dtr, true},
            {2 * dot + dash, Line::Dtr, false},
        };
        EXPECT_EQ(a, expected) << row.wpm;
        EXPECT_EQ(lengthMs, 3 * row.dotMs + row.dashMs + row.characterEndMs) << row.wpm;
        EXPECT_TRUE(s.key(' ', &lengthMs).empty());
        EXPECT_EQ(lengthMs, row.pauseMs) << row.wpm;
    }

    // Every speed the list offers, against the rule itself: a dot of 1200/wpm
    // truncated, a dash of three such dots, 0.8 dash truncated after a character.
    for (int wpm = 10; wpm <= 30; ++wpm) {
        KeyedStation s(wpm);
        const int dot = 1200 / wpm;
        const int characterEnd = static_cast<int>(std::trunc(0.8 * (3 * dot)));
        long long lengthMs = 0;
        const auto changes = s.key('!', &lengthMs);  // ...---... as one sign
        ASSERT_EQ(changes.size(), 18u) << wpm;
        std::uint32_t t = 0;
        for (std::size_t i = 0; i < 9; ++i) {
            const std::uint32_t on = (i >= 3 && i < 6) ? 3u * dot : static_cast<std::uint32_t>(dot);
            EXPECT_EQ(changes[2 * i], (LineChange{t, Line::Dtr, true})) << wpm << " element " << i;
            EXPECT_EQ(changes[2 * i + 1], (LineChange{t + on, Line::Dtr, false})) << wpm << " element " << i;
            t += on + dot;
        }
        EXPECT_EQ(lengthMs, t + characterEnd) << wpm;
    }
}

TEST(Keyer, TheLetterAAtTwentyWpm) {
    KeyedStation s(20);
    long long lengthMs = 0;
    const auto changes = s.key('A', &lengthMs);
    const std::vector<LineChange> expected = {
        {0, Line::Dtr, true}, {60, Line::Dtr, false}, {120, Line::Dtr, true}, {300, Line::Dtr, false}};
    EXPECT_EQ(changes, expected);
    EXPECT_EQ(lengthMs, 504);  // 60 on, 60 off, 180 on, 60 off, 144 more
}

TEST(Keyer, LowerCaseKeysAsUpperCaseAndOtherCharactersArePauses) {
    KeyedStation s(20);
    for (unsigned char c = 'a'; c <= 'z'; ++c) {
        long long lower = 0, upper = 0;
        const auto lowerChanges = s.key(c, &lower);
        const auto upperChanges = s.key(upperAscii(c), &upper);
        EXPECT_EQ(lowerChanges, upperChanges) << c;
        EXPECT_EQ(lower, upper) << c;
        EXPECT_FALSE(lowerChanges.empty()) << c;
    }
    // Bytes without a pattern, high ones included, are 9-dot pauses that leave
    // both lines released.
    for (const unsigned char c : std::string_view(" \r\n\0#*\"\xE4\xC1\xFF", 10)) {
        long long lengthMs = 0;
        EXPECT_TRUE(s.key(c, &lengthMs).empty()) << int(c);
        EXPECT_EQ(lengthMs, 540) << int(c);
        EXPECT_FALSE(s.line->isRaised(Line::Dtr));
        EXPECT_FALSE(s.line->isRaised(Line::Rts));
    }
}

TEST(Keyer, OnlyTheChosenLineMovesAndEndsReleased) {
    for (const bool onDtr : {true, false}) {
        KeyedStation s(25, onDtr);
        const Line keyed = onDtr ? Line::Dtr : Line::Rts;
        for (unsigned char c : std::string_view("CQ DE 0?!%&")) s.key(c);
        const auto changes = s.line->changes();
        ASSERT_FALSE(changes.empty());
        for (const LineChange& change : changes) EXPECT_EQ(change.line, keyed) << onDtr;
        EXPECT_FALSE(s.line->isRaised(Line::Dtr));
        EXPECT_FALSE(s.line->isRaised(Line::Rts));
    }
}

TEST(Keyer, KeepsFullTimingWithoutAPortAndGuardsAMissingSpeed) {
    struct Case {
        int wpm;
        unsigned char c;
        long long lengthMs;
    };
    // No speed chosen yet is sent at 10 wpm instead of dividing by zero.
    const Case cases[] = {{20, 'A', 504}, {20, ' ', 540}, {0, 'E', 528}, {-3, ' ', 1080}};
    for (const Case& c : cases) {
        TestStation s;
        s.state.txSpeedWpm = c.wpm;
        const std::uint32_t start = s.clock.tickCount();
        keyCharacter(s.state, c.c);
        EXPECT_EQ(s.clock.tickCount() - start, c.lengthMs) << c.wpm << " " << c.c;
    }
}

TEST(Keyer, ChangesDuringACharacterTakeEffectAtTheNextSleep) {
    // The speed changes from 20 to 30 wpm while the dash of A sounds: the dash
    // keeps its 180 ms, the gaps after it use 40 ms dots.
    {
        KeyedStation s(20);
        const std::uint32_t start = s.clock.tickCount();
        s.clock.at(start + 150, [&] { s.state.txSpeedWpm = 30; });
        long long lengthMs = 0;
        const auto changes = s.key('A', &lengthMs);
        ASSERT_EQ(changes.size(), 4u);
        EXPECT_EQ(changes[3].tick, 300u);
        EXPECT_EQ(lengthMs, 300 + 40 + 96);
    }
    // Switching from DTR to RTS in the middle of an element releases the line
    // that element raised; the next element keys RTS.
    {
        KeyedStation s(20);
        const std::uint32_t start = s.clock.tickCount();
        s.clock.at(start + 30, [&] { s.state.pttOnDtr = false; });
        const auto changes = s.key('A');
        const std::vector<LineChange> expected = {
            {0, Line::Dtr, true}, {60, Line::Dtr, false}, {120, Line::Rts, true}, {300, Line::Rts, false}};
        EXPECT_EQ(changes, expected);
    }
}

// A clock that wakes every sleeper late (by lateMs, or by the next of
// lateCycle's lengths), and once holds a thread up for long.
class LateClock final : public Clock {
public:
    std::uint32_t tickCount() override { return now; }
    void sleepMs(std::uint32_t ms) override { now += ms + lateMs; }
    void sleepUntil(std::uint32_t deadline) override {
        if (static_cast<std::int32_t>(deadline - now) > 0) now = deadline;
        now += lateMs;
        if (!lateCycle.empty()) now += lateCycle[wakeUps++ % lateCycle.size()];
        if (stallOnce) {
            now += stallOnce;
            stallOnce = 0;
        }
    }
    UtcTime utcNow() override { return {}; }
    std::uint32_t now = 0xFFFFFF00u;  // wraps during the test
    std::uint32_t lateMs = 0;
    std::vector<std::uint32_t> lateCycle;
    std::size_t wakeUps = 0;
    std::uint32_t stallOnce = 0;
};

TEST(Keyer, LateWakeUpsDoNotAddUpOverALongText) {
    struct Case {
        std::uint32_t lateMs;
        std::uint32_t stallMs;
        std::int64_t maxDriftMs;
    };
    const Case cases[] = {
        {0, 0, 0},
        {2, 0, 2},  // each wake-up late: caught up at the next deadline
        {5, 0, 5},
        {0, 500, 500},  // one long hold-up is not made up by shortening what follows
    };
    for (const Case& c : cases) {
        TestStation s;
        LateClock clock;
        clock.lateMs = c.lateMs;
        s.state.clock = &clock;
        s.state.txSpeedWpm = 20;
        const std::uint32_t start = clock.now;
        SendingPace pace(clock);
        long long ideal = 0;
        for (int i = 0; i < 200; ++i) {
            if (i == 100) clock.stallOnce = c.stallMs;
            keyCharacter(s.state, 'A', pace);
            ideal += 504;
        }
        const std::int64_t drift = static_cast<std::int64_t>(clock.now - start) - ideal;
        EXPECT_GE(drift, 0) << c.lateMs;
        EXPECT_LE(drift, c.maxDriftMs) << c.lateMs << " " << c.stallMs;
    }
}

// A wake-up that comes late delays the key-down it starts; the mark then
// still lasts its whole length (a 30 wpm dot is 40 ms, and 5 ms off it is
// heard), and the lateness is made up in the gaps that follow.
TEST(Keyer, ALateWakeUpNeverShortensAMark) {
    const std::vector<std::vector<std::uint32_t>> cycles = {{0}, {5, 0}, {3, 0, 4}, {0, 5}, {1, 2, 3, 4, 5}};
    for (const auto& cycle : cycles) {
        TestStation s;
        LateClock clock;
        clock.lateCycle = cycle;
        s.state.clock = &clock;
        s.state.txSpeedWpm = 30;  // dot 40 ms, dash 120 ms
        s.state.pttOnDtr = true;
        auto line = std::make_shared<RecordingKeyLine>(clock);
        s.state.pttPort.set(line);
        const std::uint32_t start = clock.now;
        SendingPace pace(clock);
        const std::string text = "PARIS CQ 73";
        for (const char c : text) keyCharacter(s.state, static_cast<unsigned char>(c), pace);

        const auto changes = line->changes();
        ASSERT_EQ(changes.size() % 2, 0u);
        for (std::size_t i = 0; i + 1 < changes.size(); i += 2) {
            const std::uint32_t mark = changes[i + 1].tick - changes[i].tick;
            EXPECT_TRUE((mark >= 40 && mark <= 45) || (mark >= 120 && mark <= 125))
                << "mark " << i / 2 << " lasts " << mark << " ms, cycle of " << cycle.size();
        }
        // Made up in the gaps: the whole text ends no later than one late
        // wake-up after the ideal end.
        EXPECT_LE(clock.now - start, 5184u + 5u) << "cycle of " << cycle.size();
    }
}

}  // namespace
}  // namespace ditdahl
