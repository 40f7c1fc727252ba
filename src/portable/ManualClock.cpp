#include "portable/ManualClock.h"

#include <vector>

namespace ditdahl {

ManualClock::ManualClock(std::uint32_t startTick, Mode mode) : startTick_(startTick), mode_(mode) {
    setUtc(UtcTime{2013, 3, 5, 14, 7, 9, 0});
}

std::uint32_t ManualClock::tickCount() {
    std::lock_guard lock(mutex_);
    return startTick_ + static_cast<std::uint32_t>(elapsed_);
}

void ManualClock::sleepMs(std::uint32_t milliseconds) {
    long long deadline;
    {
        std::lock_guard lock(mutex_);
        deadline = elapsed_ + milliseconds;
    }
    if (mode_ == Mode::AutoAdvance) {
        advanceTo(deadline);
        return;
    }
    std::unique_lock lock(mutex_);
    ++sleepers_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return elapsed_ >= deadline; });
    --sleepers_;
}

void ManualClock::sleepUntil(std::uint32_t deadline) {
    std::uint32_t remaining;
    {
        std::lock_guard lock(mutex_);
        const auto now = startTick_ + static_cast<std::uint32_t>(elapsed_);
        const auto ahead = static_cast<std::int32_t>(deadline - now);
        if (ahead <= 0) return;
        remaining = static_cast<std::uint32_t>(ahead);
    }
    sleepMs(remaining);
}

UtcTime ManualClock::utcNow() {
    std::lock_guard lock(mutex_);
    return utcFromMilliseconds(utcAtStartMs_ + elapsed_);
}

void ManualClock::advance(std::uint32_t milliseconds) {
    long long target;
    {
        std::lock_guard lock(mutex_);
        target = elapsed_ + milliseconds;
    }
    advanceTo(target);
}

void ManualClock::advanceTo(long long target) {
    for (;;) {
        std::function<void()> action;
        {
            std::lock_guard lock(mutex_);
            auto due = actions_.begin();
            if (due == actions_.end() || due->first > target) {
                if (target > elapsed_) elapsed_ = target;
                changed_.notify_all();
                return;
            }
            if (due->first > elapsed_) elapsed_ = due->first;
            action = std::move(due->second);
            actions_.erase(due);
            changed_.notify_all();
        }
        action();
    }
}

void ManualClock::setUtc(const UtcTime& utc) {
    std::lock_guard lock(mutex_);
    const long long ms = daysFromCivil(utc.year, utc.month, utc.day) * 86400000LL + utc.hour * 3600000LL +
                         utc.minute * 60000LL + utc.second * 1000LL + utc.millisecond;
    utcAtStartMs_ = ms - elapsed_;
}

void ManualClock::at(std::uint32_t tick, std::function<void()> action) {
    std::lock_guard lock(mutex_);
    const auto now = startTick_ + static_cast<std::uint32_t>(elapsed_);
    actions_.emplace(elapsed_ + static_cast<std::uint32_t>(tick - now), std::move(action));
}

void ManualClock::waitForSleepers(int count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return sleepers_ >= count; });
}

long long ManualClock::elapsedMs() {
    std::lock_guard lock(mutex_);
    return elapsed_;
}

}  // namespace ditdahl
