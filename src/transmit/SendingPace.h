// The running deadline of one sending thread. Each wait ends a fixed time
// after the end of the previous one, not after "now", so that the time taken
// to wake up, update the window or write the log does not pile up over a long
// transmission. Used by the thread that sends; not shared.
#pragma once

#include <cstdint>

#include "station/Clock.h"

namespace ditdahl {

class SendingPace {
public:
    // A thread that falls further behind than this (it was held up, not merely
    // woken late) starts afresh from now instead of shortening what follows to
    // catch up.
    static constexpr std::int32_t maxCatchUpMs = 5;

    explicit SendingPace(Clock& clock) : clock_(clock), deadline_(clock.tickCount()) {}

    // Sleeps until milliseconds after the previous deadline.
    void wait(std::uint32_t milliseconds) {
        const auto behind = static_cast<std::int32_t>(clock_.tickCount() - deadline_);
        if (behind > maxCatchUpMs) deadline_ += static_cast<std::uint32_t>(behind);
        deadline_ += milliseconds;
        clock_.sleepUntil(deadline_);
    }

private:
    Clock& clock_;
    std::uint32_t deadline_;
};

}  // namespace ditdahl
