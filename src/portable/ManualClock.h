// A clock that only moves when told to, for tests and for rendering keyed
// audio faster than real time.
//
// In the automatic mode (the default) a sleep moves the clock on by its own
// length and returns at once, so a single sleeping thread runs through
// simulated time without waiting. In the blocking mode a sleep waits until
// another thread has advanced the clock past its deadline.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

#include "station/Clock.h"

namespace ditdahl {

class ManualClock final : public Clock {
public:
    enum class Mode { AutoAdvance, Blocking };

    explicit ManualClock(std::uint32_t startTick = 1000, Mode mode = Mode::AutoAdvance);

    std::uint32_t tickCount() override;
    void sleepMs(std::uint32_t milliseconds) override;
    void sleepUntil(std::uint32_t deadline) override;
    UtcTime utcNow() override;

    // Moves the clock on; runs the actions due on the way, in order of time.
    void advance(std::uint32_t milliseconds);
    // UTC at the current tick; later readings move on with the tick count.
    void setUtc(const UtcTime& utc);
    // Runs action (on the advancing thread, outside the clock's lock) as soon
    // as the clock reaches tick, counted from now, modulo 2^32.
    void at(std::uint32_t tick, std::function<void()> action);
    // Blocking mode: waits until at least count threads are asleep.
    void waitForSleepers(int count);
    // Total simulated time since construction.
    long long elapsedMs();

private:
    void advanceTo(long long elapsed);

    std::mutex mutex_;
    std::condition_variable changed_;
    const std::uint32_t startTick_;
    const Mode mode_;
    long long elapsed_ = 0;
    long long utcAtStartMs_ = 0;
    int sleepers_ = 0;
    std::multimap<long long, std::function<void()>> actions_;
};

}  // namespace ditdahl
