// Audio input: the system's capture devices, one of which is open at a time,
// filling buffers that the caller queues and handing each one back when it is
// full. Implementations: PortAudio on Linux, and a scripted device fed from
// samples for tests.
//
// Threads: the caller's thread runs every operation; the device runs the
// completion callback on a thread of its own. Buffers are filled in the order
// they were queued. Audio that arrives while no buffer is queued is dropped by
// the device (an overrun) and counted, never stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/CaptureFormat.h"

namespace ditdahl {

// The one format the program asks for: 16-bit signed PCM, interleaved, left
// sample first.
struct WaveFormat {
    std::uint32_t sampleRate = captureFramesPerSecond;
    std::uint16_t channels = captureChannels;
    std::uint16_t bitsPerSample = 16;
    std::uint32_t bytesPerFrame() const { return channels * bitsPerSample / 8u; }
};

// One capture buffer. The caller owns the memory and keeps it alive, unmoved,
// from prepare until the device is closed.
struct WaveBuffer {
    std::uint8_t* data = nullptr;
    std::uint32_t bufferBytes = 0;    // how much the device fills, whole frames
    std::uint32_t bytesRecorded = 0;  // set by the device when it hands the buffer back
    bool prepared = false;            // set by prepare
};

enum class WaveResult {
    ok,
    noDevice,   // no such device, or no input at all
    busy,       // already open, or the device is in use
    badFormat,  // neither the format nor any conversion to it is possible
    badBuffer,  // not prepared, empty, or not whole frames
    notOpen,
    deviceError,  // anything else the device reports
};

const char* describe(WaveResult result);

// Called on the device's thread with each filled buffer. It must return
// quickly and must not call back into the device.
using WaveCompletion = void (*)(void* context, WaveBuffer& buffer);

class WaveIn {
public:
    static constexpr int maxListedDevices = 10;
    static constexpr int defaultDevice = -1;

    // Closes the device if it is still open.
    virtual ~WaveIn() = default;

    // Input devices, numbered from 0 in the system's order.
    virtual int deviceCount() = 0;
    virtual std::string deviceName(int device) = 0;

    // Opens device (defaultDevice: the system's default input) for the format.
    // framesPerBuffer is the length of the buffers that will be queued, so that
    // the device can deliver at that pace. The completion is called for every
    // filled buffer until stop or close.
    virtual WaveResult open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer,
                            WaveCompletion completion, void* context) = 0;
    // Checks the buffer and marks it prepared; a buffer is prepared once and
    // may then be queued again and again.
    virtual WaveResult prepare(WaveBuffer& buffer) = 0;
    // Puts the buffer at the end of the device's queue.
    virtual WaveResult queue(WaveBuffer& buffer) = 0;
    virtual WaveResult start() = 0;
    // Stops filling; when it returns, the completion is no longer running and
    // will not be called again until the next start. Queued buffers stay queued.
    virtual WaveResult stop() = 0;
    // Stops if needed and forgets every queued buffer: when it returns, the
    // device touches none of them again.
    virtual void close() = 0;

    // Frames the device dropped because no buffer was queued, since open.
    virtual std::uint64_t droppedFrames() = 0;

    // The names of the first devices, at most maxListedDevices, as the Input
    // list shows them: entry i is device i.
    std::vector<std::string> deviceNames();
};

}  // namespace ditdahl
