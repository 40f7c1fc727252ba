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

    // A gap: sleeps until milliseconds after the previous deadline, shorter
    // by what a late wake-up took of it.
    void wait(std::uint32_t milliseconds) {
        catchUp();
        deadline_ += milliseconds;
        clock_.sleepUntil(deadline_);
    }

    // A mark: lasts its whole length from now, however late the wake-up that
    // started it; the gaps after it make up the delay.
    void waitMark(std::uint32_t milliseconds) {
        catchUp();
        deadline_ += milliseconds;
        const std::uint32_t end = clock_.tickCount() + milliseconds;
        const auto longer = static_cast<std::int32_t>(end - deadline_);
        owedMs_ = longer > 0 ? longer : 0;
        clock_.sleepUntil(owedMs_ > 0 ? end : deadline_);
    }

private:
    // How far behind the timeline this thread is, beyond what the last mark
    // was lengthened by; more than maxCatchUpMs is a hold-up, forgotten.
    void catchUp() {
        const auto behind = static_cast<std::int32_t>(clock_.tickCount() - deadline_) - owedMs_;
        owedMs_ = 0;
        if (behind > maxCatchUpMs) deadline_ += static_cast<std::uint32_t>(behind);
    }

    Clock& clock_;
    std::uint32_t deadline_;
    std::int32_t owedMs_ = 0;
};

}  // namespace ditdahl
