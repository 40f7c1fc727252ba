// The recorder: captures the receiver's audio from the chosen input through
// WaveIn, with a ring of 16 buffers queued at the device, and one worker
// thread per capture that hands every filled buffer, in the order the device
// filled them, to the block handler and queues it again.
//
// The program has one Recorder, created at start-up. The window thread runs
// open, start and close; the device's thread runs the completion, which only
// puts the buffer on the worker's queue; the worker runs the handler at raised
// priority where the system allows.
//
// Every completed buffer is handed over through a queue, so buffers that
// complete together are all analysed and all go back to the device: the ring
// keeps its 16 buffers. A handler that stays too slow makes the device drop
// audio (an overrun), never a buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/CaptureFormat.h"
#include "station/StationState.h"
#include "station/WaveIn.h"

namespace ditdahl {

// Called on the worker for each filled block with its interleaved stereo
// frames, left sample first; there is always room for 128 frames, of which
// fftSize (the size at open) were filled by the device.
using BlockHandler = std::function<void(const std::int16_t* interleavedStereoFrames)>;

class Recorder {
public:
    static constexpr int bufferCount = 16;
    static constexpr auto maxBlockFrames = static_cast<std::uint32_t>(ditdahl::maxBlockFrames);
    static constexpr std::uint32_t dataBytes = maxBlockFrames * 4;  // 512

    Recorder(StationState& state, WaveIn& waveIn);
    // Stops and closes a capture still running.
    virtual ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Allocates the buffers and opens input device `device` (the default input
    // for WaveIn::defaultDevice or any number below 0) for blocks of fftSize
    // frames. Does nothing when already open.
    WaveResult open(int device = WaveIn::defaultDevice);
    // Queues the 16 buffers, starts the worker and the device. Does nothing
    // unless open and not yet started; a buffer the device refuses leaves it
    // open and not started.
    void start();
    // Stops the device, waits for the worker to finish its block and leave,
    // closes the device and frees the buffers. Waits for nothing that waits
    // for the window thread, and for a device that will not stop no longer
    // than the device allows (deviceError: it was given up on).
    WaveResult close();

    // Takes effect at the next start.
    void setHandler(BlockHandler handler);

    bool isOpen() const;
    bool isRunning() const;

private:
    struct Capture;
    static void waveInCallback(void* context, WaveBuffer& buffer);
    void captureThread(Capture& capture);

    StationState& state_;
    WaveIn& waveIn_;
    BlockHandler handler_;
    std::unique_ptr<Capture> capture_;  // from open to close
    bool running_ = false;
};

}  // namespace ditdahl
