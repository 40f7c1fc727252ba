#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "portable/ManualClock.h"

namespace ditdahl {
namespace {

TEST(ManualClock, TickCountWrapsAndDeadlinesHoldAcrossTheWrap) {
    ManualClock clock(0xFFFFFF00u);
    EXPECT_EQ(clock.tickCount(), 0xFFFFFF00u);
    const std::uint32_t deadline = clock.tickCount() + 0x200u;  // past the wrap
    clock.sleepUntil(deadline);
    EXPECT_EQ(clock.tickCount(), 0x100u);
    EXPECT_EQ(clock.elapsedMs(), 0x200);
    clock.sleepUntil(deadline - 5);  // already past: returns at once
    EXPECT_EQ(clock.elapsedMs(), 0x200);
    clock.sleepMs(60);
    EXPECT_EQ(clock.tickCount(), 0x13Cu);
}

TEST(ManualClock, UtcMovesWithTheTicksAcrossDayAndYear) {
    ManualClock clock;
    clock.setUtc({1999, 12, 31, 23, 59, 59, 500});
    clock.advance(600);
    EXPECT_EQ(clock.utcNow(), (UtcTime{2000, 1, 1, 0, 0, 0, 100}));
    for (int day = 0; day < 59; ++day) clock.advance(86400000u);
    EXPECT_EQ(clock.utcNow(), (UtcTime{2000, 2, 29, 0, 0, 0, 100}));
}

TEST(ManualClock, ActionsRunInTimeOrderWhileTimePasses) {
    ManualClock clock(100);
    std::vector<std::uint32_t> seen;
    clock.at(400, [&] { seen.push_back(clock.tickCount()); });
    clock.at(250, [&] { seen.push_back(clock.tickCount()); });
    clock.sleepMs(1000);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{250, 400}));
    EXPECT_EQ(clock.tickCount(), 1100u);
}

TEST(ManualClock, BlockingSleepWaitsForTheTestToAdvance) {
    ManualClock clock(0, ManualClock::Mode::Blocking);
    std::uint32_t wokeAt = 0;
    std::thread sleeper([&] {
        clock.sleepMs(100);
        wokeAt = clock.tickCount();
    });
    clock.waitForSleepers(1);
    clock.advance(99);
    clock.advance(1);
    sleeper.join();
    EXPECT_EQ(wokeAt, 100u);
}

}  // namespace
}  // namespace ditdahl
