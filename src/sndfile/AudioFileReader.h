// Reads a recording for the receive chain: any file libsndfile reads (WAV,
// FLAC, ...), a WAV stream on standard input, or a recording held in memory,
// at any rate, mono or stereo, delivered as 6000 frames/s interleaved stereo
// 16-bit frames whose left channel is the file's first channel (the right one
// is silent). Other rates are converted with libsamplerate. Runs on the
// thread that decodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/CaptureFormat.h"

struct sf_private_tag;
struct SF_INFO;
struct SRC_STATE_tag;

namespace ditdahl {

class AudioFileReader {
public:
    static constexpr int outputRate = captureFramesPerSecond;

    AudioFileReader() = default;
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    // Opens path, or standard input for "-". Returns an empty text on
    // success, otherwise a message that says what is wrong with the input.
    std::string open(const std::string& path);
    // Opens a recording held in memory (a copy is kept), read exactly as a
    // file with the same bytes would be.
    std::string openMemory(std::string_view bytes);

    int fileRate() const { return fileRate_; }
    int fileChannels() const { return channels_; }
    // Length of the recording in seconds; negative when a stream does not say.
    double durationSeconds() const;

    // Reads up to maxFrames frames; 0 at the end of the input or on an error
    // (then error() says which).
    std::size_t read(std::int16_t* interleavedStereo, std::size_t maxFrames);
    const std::string& error() const { return error_; }

    // A recording in memory and how far libsndfile has read it.
    struct Memory {
        std::string bytes;
        long long position = 0;
    };

private:
    // What every way of opening shares once libsndfile has opened the input.
    std::string start(const SF_INFO& info);
    std::size_t readFirstChannel(std::size_t maxFrames);

    sf_private_tag* file_ = nullptr;
    SRC_STATE_tag* converter_ = nullptr;
    int fileRate_ = 0;
    int channels_ = 0;
    long long fileFrames_ = -1;
    double ratio_ = 1.0;
    bool inputEnded_ = false;
    bool outputEnded_ = false;
    std::vector<float> frames_;  // as read, all channels
    std::vector<float> left_;    // the first channel, not yet converted
    std::size_t leftStart_ = 0;
    std::vector<float> converted_;
    std::vector<short> shorts_;
    std::string error_;
    Memory memory_;
};

}  // namespace ditdahl
