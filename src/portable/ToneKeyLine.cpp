#include "portable/ToneKeyLine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/Windows.h"

namespace ditdahl {

ToneKeyLine::ToneKeyLine(Clock& clock, const ToneShape& shape)
    : clock_(clock),
      shape_(shape),
      edgeSamples_(std::max<std::uint64_t>(
          1, static_cast<std::uint64_t>(std::lround(shape.edgeMs * shape.sampleRate / 1000.0)))),
      lastTick_(clock.tickCount()),
      edgeDone_(edgeSamples_) {}

std::uint64_t ToneKeyLine::sampleNow() {
    const std::uint32_t tick = clock_.tickCount();
    elapsedMs_ += static_cast<std::uint32_t>(tick - lastTick_);
    lastTick_ = tick;
    return elapsedMs_ * static_cast<std::uint64_t>(shape_.sampleRate) / 1000;
}

void ToneKeyLine::raise(Line line) { change(line, true); }

void ToneKeyLine::release(Line line) { change(line, false); }

void ToneKeyLine::change(Line line, bool raised) {
    std::lock_guard lock(mutex_);
    const bool before = dtr_ || rts_;
    (line == Line::Dtr ? dtr_ : rts_) = raised;
    const bool after = dtr_ || rts_;
    if (after != before) pending_.push_back({sampleNow(), after});
}

std::vector<float> ToneKeyLine::takeSamples() {
    std::lock_guard lock(mutex_);
    const std::uint64_t end = sampleNow();
    std::vector<float> samples;
    samples.reserve(static_cast<std::size_t>(end - std::min(end, position_)));
    for (; position_ < end; ++position_) {
        while (!pending_.empty() && pending_.front().sample <= position_) {
            // A new edge starts from wherever the envelope is, even halfway
            // through the previous one.
            edgeFrom_ = envelope_;
            edgeTo_ = pending_.front().sounding ? 1.0 : 0.0;
            edgeDone_ = 0;
            pending_.pop_front();
        }
        if (edgeDone_ < edgeSamples_) {
            ++edgeDone_;
            const double progress = static_cast<double>(edgeDone_) / static_cast<double>(edgeSamples_);
            envelope_ = edgeFrom_ + (edgeTo_ - edgeFrom_) * raisedCosine(progress);
        }
        // The phase from the sample number, reduced to one cycle, so that it
        // does not drift over hours of audio.
        const double cycles = std::fmod(static_cast<double>(position_) * shape_.frequencyHz / shape_.sampleRate, 1.0);
        samples.push_back(static_cast<float>(shape_.level * envelope_ * std::sin(2.0 * std::numbers::pi * cycles)));
    }
    return samples;
}

}  // namespace ditdahl
