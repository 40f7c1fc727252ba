// Turns what an input device can deliver (float samples at its own rate, one
// or more channels) into the program's format: 16-bit stereo at 6000
// frames/s. A mono input goes to both channels; of more than two channels the
// first two are kept. Runs on the device's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

typedef struct SRC_STATE_tag SRC_STATE;

namespace ditdahl {

class RateConverter {
public:
    // Null when the converter cannot be made. maxInputFrames bounds every
    // later call; the memory for it is taken here, none later.
    static std::unique_ptr<RateConverter> create(double inputRate, int inputChannels, std::uint32_t maxInputFrames);
    ~RateConverter();
    RateConverter(const RateConverter&) = delete;
    RateConverter& operator=(const RateConverter&) = delete;

    // Converts frames interleaved input frames; the result, interleaved stereo
    // frames, is valid until the next call.
    std::span<const std::int16_t> convert(const float* input, std::uint32_t frames);
    // Forgets the audio held back from earlier calls.
    void reset();

private:
    RateConverter(SRC_STATE* state, double ratio, int inputChannels, std::uint32_t maxInputFrames);

    SRC_STATE* state_;
    const double ratio_;  // output rate / input rate
    const int inputChannels_;
    const std::uint32_t maxInputFrames_;
    std::vector<float> stereo_;
    std::vector<float> converted_;
    std::vector<std::int16_t> output_;
};

}  // namespace ditdahl
