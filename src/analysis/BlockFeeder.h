// Feeds 6000 frames/s stereo audio, in pieces of any length, block by block
// (fftSize frames each) through the key detector and the decoder, moving an
// AudioClock on with the audio. The one loop behind decoding a recording, so
// that a file decodes exactly as live capture would. Runs on the thread that
// reads the audio.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "analysis/KeyDetector.h"
#include "portable/AudioClock.h"
#include "station/StationState.h"

namespace ditdahl {

class BlockFeeder {
public:
    // state.clock should be the given clock.
    BlockFeeder(StationState& state, KeyDetector& detector, AudioClock& clock);

    // interleavedStereo holds 2 * frames samples, left first.
    void feed(const std::int16_t* interleavedStereo, std::size_t frames);

    // Completes the last block with silence and lets enough silence pass for
    // the last character and the word space after it to be decoded.
    void finish();

    std::uint64_t blocksAnalysed() const { return blocks_; }

private:
    int blockFrames() const;
    void analyse();

    StationState& state_;
    KeyDetector& detector_;
    AudioClock& clock_;
    std::array<std::int16_t, 2 * maxBlockFrames> block_{};
    int filled_ = 0;
    std::uint64_t blocks_ = 0;
};

}  // namespace ditdahl
