// The real clock: a millisecond tick count from the monotonic clock (wrapping
// at 2^32 like the system tick count), real sleeps, and UTC from the system
// time.
#pragma once

#include "station/Clock.h"

namespace ditdahl {

class SystemClock final : public Clock {
public:
    std::uint32_t tickCount() override;
    void sleepMs(std::uint32_t milliseconds) override;
    void sleepUntil(std::uint32_t deadline) override;
    UtcTime utcNow() override;
};

}  // namespace ditdahl
