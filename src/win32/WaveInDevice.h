// Audio input through the Windows wave-in functions (waveIn*). The input
// devices are the system's wave-in devices in its own order.
//
// The device fills a ring of buffers of its own, sized to the caller's
// blocks; its callback copies each one into the caller's queued buffers, in
// order, and hands every full one back. Keeping the device on its own memory
// means that a device given up on never writes into buffers the caller has
// freed. The callback may not call waveIn functions, so a small thread of
// this object gives the device its buffers back.
//
// Threads: the operations run on the caller's thread (open, start, stop and
// close on the window thread, queue on the capture worker); the device runs
// the callback on a thread of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "portable/FillQueue.h"
#include "station/WaveIn.h"

namespace ditdahl {

class WaveInDevice final : public WaveIn {
public:
    // The device's own ring, as long as the recorder's.
    static constexpr int deviceBuffers = 16;
    static constexpr std::chrono::milliseconds stopLimit{2000};

    WaveInDevice();
    ~WaveInDevice() override;
    WaveInDevice(const WaveInDevice&) = delete;
    WaveInDevice& operator=(const WaveInDevice&) = delete;

    int deviceCount() override;
    std::string deviceName(int device) override;
    WaveResult open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer, WaveCompletion completion,
                    void* context) override;
    WaveResult prepare(WaveBuffer& buffer) override;
    WaveResult queue(WaveBuffer& buffer) override;
    WaveResult start() override;
    // Gives up on a device that has not let go within stopLimit: it is left
    // open with its ring, the completion is never called again, and
    // deviceError is returned.
    WaveResult stop() override;
    void close() override;
    std::uint64_t droppedFrames() override;

private:
    struct Ring;
    friend struct Ring;
    void filled(const std::uint8_t* bytes, std::size_t byteCount, void* header);
    void requeueLoop();
    void stopRequeueing();

    std::unique_ptr<Ring> ring_;  // from open to close
    bool started_ = false;
    std::thread requeuer_;

    std::mutex mutex_;  // guards what the device's callback shares with the caller
    std::condition_variable returned_;
    bool delivering_ = false;  // the completion may be called
    bool requeueing_ = false;
    std::vector<void*> done_;  // device buffers to give back
    FillQueue buffers_;
};

}  // namespace ditdahl
