#include "analysis/BlockFeeder.h"

#include <algorithm>

namespace ditdahl {

BlockFeeder::BlockFeeder(StationState& state, KeyDetector& detector, AudioClock& clock)
    : state_(state), detector_(detector), clock_(clock) {}

int BlockFeeder::blockFrames() const { return std::clamp(state_.fftSize.load(), 1, maxBlockFrames); }

void BlockFeeder::analyse() {
    // The block is handed on when its last frame has arrived.
    clock_.advanceFrames(static_cast<std::uint64_t>(filled_));
    analyseBlock(state_, detector_, block_.data());
    filled_ = 0;
    ++blocks_;
}

void BlockFeeder::feed(const std::int16_t* interleavedStereo, std::size_t frames) {
    while (frames > 0) {
        const auto wanted = static_cast<std::size_t>(blockFrames() - filled_);
        const std::size_t n = std::min(wanted, frames);
        std::copy_n(interleavedStereo, 2 * n, block_.begin() + 2 * filled_);
        filled_ += static_cast<int>(n);
        interleavedStereo += 2 * n;
        frames -= n;
        if (filled_ >= blockFrames()) analyse();
    }
}

void BlockFeeder::finish() {
    if (filled_ > 0) {
        std::fill(block_.begin() + 2 * filled_, block_.end(), std::int16_t{0});
        filled_ = blockFrames();
        analyse();
    }
    // The last mark ends at the first silent block; the character ends at the
    // first block more than two dashes after that, and the word space at the
    // first block two dashes later again. One block more for good measure.
    const long long blockMs = std::max(1, static_cast<int>(blockMilliseconds(state_.fftSize)));
    const long long silenceMs = 4LL * state_.dashMs + 4 * blockMs;
    const long long endMs = clock_.elapsedMs() + silenceMs;
    block_.fill(0);
    while (clock_.elapsedMs() < endMs) {
        filled_ = blockFrames();
        analyse();
    }
}

}  // namespace ditdahl
