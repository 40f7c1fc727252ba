// Rate and channel conversion to 6000 frames/s 16-bit stereo (libsamplerate).
// Runs on the device's thread.
#include "portaudio/RateConverter.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

#include "base/CaptureFormat.h"

namespace ditdahl {

namespace {

constexpr double outputRate = captureFramesPerSecond;

}  // namespace

std::unique_ptr<RateConverter> RateConverter::create(double inputRate, int inputChannels,
                                                     std::uint32_t maxInputFrames) {
    const double ratio = outputRate / inputRate;
    if (inputChannels < 1 || maxInputFrames == 0 || !src_is_valid_ratio(ratio)) return nullptr;
    int error = 0;
    // Even the fastest of the band-limited converters keeps everything up to
    // the top tone (1600 Hz) clean at 6000 frames/s.
    SRC_STATE* state = src_new(SRC_SINC_FASTEST, 2, &error);
    if (state == nullptr) return nullptr;
    return std::unique_ptr<RateConverter>(new RateConverter(state, ratio, inputChannels, maxInputFrames));
}

RateConverter::RateConverter(SRC_STATE* state, double ratio, int inputChannels, std::uint32_t maxInputFrames)
    : state_(state),
      ratio_(ratio),
      inputChannels_(inputChannels),
      maxInputFrames_(maxInputFrames),
      stereo_(maxInputFrames * 2u),
      // The converter may release a little more than the ratio suggests when
      // it catches up on audio it held back.
      converted_((static_cast<std::size_t>(std::ceil(maxInputFrames * ratio)) + 64u) * 2u),
      output_(converted_.size()) {}

RateConverter::~RateConverter() { src_delete(state_); }

std::span<const std::int16_t> RateConverter::convert(const float* input, std::uint32_t frames) {
    frames = std::min(frames, maxInputFrames_);
    const auto channels = static_cast<std::size_t>(inputChannels_);
    for (std::size_t k = 0; k < frames; ++k) {
        const float left = input[k * channels];
        stereo_[2 * k] = left;
        stereo_[2 * k + 1] = channels > 1 ? input[k * channels + 1] : left;
    }
    std::size_t used = 0;
    std::size_t produced = 0;
    const std::size_t capacity = converted_.size() / 2;
    while (used < frames && produced < capacity) {
        SRC_DATA data{};
        data.data_in = stereo_.data() + 2 * used;
        data.input_frames = static_cast<long>(frames - used);
        data.data_out = converted_.data() + 2 * produced;
        data.output_frames = static_cast<long>(capacity - produced);
        data.src_ratio = ratio_;
        if (src_process(state_, &data) != 0) break;
        if (data.input_frames_used == 0 && data.output_frames_gen == 0) break;
        used += static_cast<std::size_t>(data.input_frames_used);
        produced += static_cast<std::size_t>(data.output_frames_gen);
    }
    src_float_to_short_array(converted_.data(), output_.data(), static_cast<int>(produced * 2));
    return {output_.data(), produced * 2};
}

void RateConverter::reset() { src_reset(state_); }

}  // namespace ditdahl
