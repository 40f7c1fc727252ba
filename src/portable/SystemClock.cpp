#include "portable/SystemClock.h"

#include <chrono>
#include <thread>

namespace ditdahl {

std::uint32_t SystemClock::tickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SystemClock::sleepMs(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SystemClock::sleepUntil(std::uint32_t deadline) {
    // The tick count only has millisecond resolution; sleep on the steady
    // clock itself so that a deadline is met to well under a millisecond.
    const auto remaining = static_cast<std::int32_t>(deadline - tickCount());
    if (remaining <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    const auto nowMs = std::chrono::time_point_cast<std::chrono::milliseconds>(now);
    std::this_thread::sleep_until(nowMs + std::chrono::milliseconds(remaining));
}

UtcTime SystemClock::utcNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return utcFromMilliseconds(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace ditdahl
