// A keying line that sounds: while DTR or RTS is raised it renders a sine
// tone, switched on and off with raised-cosine edges so that keying makes no
// clicks. Each edge starts at the moment the line changes, so a mark measured
// at half amplitude lasts exactly as long as the line was raised. Time comes
// from the clock; samples are taken out as the keying goes on. Thread-safe.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "base/CaptureFormat.h"
#include "station/Clock.h"
#include "station/KeyLine.h"

namespace ditdahl {

struct ToneShape {
    double frequencyHz = 550.0;
    double level = 0.5;  // peak, as a fraction of full scale
    int sampleRate = captureFramesPerSecond;
    double edgeMs = 4.0;
};

class ToneKeyLine final : public KeyLine {
public:
    // Sample 0 is the clock's present tick.
    ToneKeyLine(Clock& clock, const ToneShape& shape);

    void raise(Line line) override;
    void release(Line line) override;

    // The samples from where the last call ended up to the clock's present
    // tick. Every change of the line must have been made by then.
    std::vector<float> takeSamples();

private:
    struct Change {
        std::uint64_t sample;
        bool sounding;
    };
    std::uint64_t sampleNow();  // caller holds mutex_
    void change(Line line, bool raised);

    Clock& clock_;
    const ToneShape shape_;
    const std::uint64_t edgeSamples_;
    std::mutex mutex_;
    std::uint32_t lastTick_;
    std::uint64_t elapsedMs_ = 0;
    bool dtr_ = false;
    bool rts_ = false;
    std::deque<Change> pending_;
    // Rendering position and the envelope's state there.
    std::uint64_t position_ = 0;
    double envelope_ = 0.0;
    double edgeFrom_ = 0.0;
    double edgeTo_ = 0.0;
    std::uint64_t edgeDone_ = 0;
};

}  // namespace ditdahl
