// A clock that moves on exactly with the audio handed through the receive
// chain: the tick count is the start tick plus frames * 1000 / 6000 ms, and
// the UTC time moves on from a given start. Decoding a recording with it
// gives the same result on every run and machine, as fast as the CPU allows.
// Used by the thread that feeds the audio; nothing sleeps on it.
#pragma once

#include <cstdint>

#include "base/CaptureFormat.h"
#include "station/Clock.h"

namespace ditdahl {

class AudioClock final : public Clock {
public:
    static constexpr int framesPerSecond = captureFramesPerSecond;

    explicit AudioClock(std::uint32_t startTick = 0, long long startUtcMs = 0);

    void advanceFrames(std::uint64_t frames) { frames_ += frames; }
    std::uint64_t frames() const { return frames_; }
    // Milliseconds of audio so far, whole.
    long long elapsedMs() const;

    std::uint32_t tickCount() override;
    // The audio is not waited for: sleeping returns at once.
    void sleepMs(std::uint32_t milliseconds) override;
    void sleepUntil(std::uint32_t deadline) override;
    UtcTime utcNow() override;

private:
    const std::uint32_t startTick_;
    const long long startUtcMs_;
    std::uint64_t frames_ = 0;
};

}  // namespace ditdahl
