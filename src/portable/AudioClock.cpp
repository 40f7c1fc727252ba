#include "portable/AudioClock.h"

namespace ditdahl {

AudioClock::AudioClock(std::uint32_t startTick, long long startUtcMs)
    : startTick_(startTick), startUtcMs_(startUtcMs) {}

long long AudioClock::elapsedMs() const { return static_cast<long long>(frames_ * 1000 / framesPerSecond); }

std::uint32_t AudioClock::tickCount() { return startTick_ + static_cast<std::uint32_t>(elapsedMs()); }

void AudioClock::sleepMs(std::uint32_t) {}

void AudioClock::sleepUntil(std::uint32_t) {}

UtcTime AudioClock::utcNow() { return utcFromMilliseconds(startUtcMs_ + elapsedMs()); }

}  // namespace ditdahl
