// Audio input through PortAudio. The input devices are PortAudio's devices
// that can capture, in PortAudio's order, as found when this object was made.
// A device that cannot deliver 6000 frames/s 16-bit stereo itself is opened
// at a rate and channel count it supports, and its audio converted.
//
// Threads: the operations run on the caller's thread (the window thread);
// PortAudio runs the stream callback, which fills the queued buffers and calls
// the completion, on a thread of its own.
#pragma once

#include <portaudio.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "portable/FillQueue.h"
#include "station/WaveIn.h"

namespace ditdahl {

class RateConverter;

class PortAudioWaveIn final : public WaveIn {
public:
    // driverMessages: let the sound system's own console messages through.
    explicit PortAudioWaveIn(bool driverMessages = false);
    ~PortAudioWaveIn() override;
    PortAudioWaveIn(const PortAudioWaveIn&) = delete;
    PortAudioWaveIn& operator=(const PortAudioWaveIn&) = delete;

    // False when PortAudio itself could not start; there are then no devices.
    bool available() const { return initialised_; }
    // How the open device is read, for the operator: e.g. "6000 frames/s,
    // 2 channels" or "48000 frames/s, 1 channel, converted".
    std::string openedFormat();

    int deviceCount() override;
    std::string deviceName(int device) override;
    WaveResult open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer, WaveCompletion completion,
                    void* context) override;
    WaveResult prepare(WaveBuffer& buffer) override;
    WaveResult queue(WaveBuffer& buffer) override;
    WaveResult start() override;
    // Gives up on a device that has not let go within stopLimit (a stalled
    // card, a stopped sound server): its stream is abandoned, the completion
    // is never called again, and deviceError is returned.
    WaveResult stop() override;
    void close() override;
    std::uint64_t droppedFrames() override;

    static constexpr std::chrono::milliseconds stopLimit{2000};

private:
    struct Stream;
    void abandonStream();
    static int streamCallback(const void* input, void* output, unsigned long frameCount,
                              const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags, void* self);
    void take(const std::int16_t* frames, std::size_t frameCount);

    const bool driverMessages_;
    bool initialised_ = false;
    std::vector<int> inputs_;  // PortAudio device indexes of the input devices

    // The open stream; what PortAudio's thread reads of it never changes
    // while it runs.
    std::unique_ptr<Stream> stream_;
    // A stream was abandoned: PortAudio still holds a thread that may never
    // return, so it is not shut down.
    bool abandonedOne_ = false;
    double streamRate_ = 0.0;
    int streamChannels_ = 0;

    std::mutex mutex_;  // guards what the stream callback shares with the caller
    FillQueue buffers_;
};

}  // namespace ditdahl
