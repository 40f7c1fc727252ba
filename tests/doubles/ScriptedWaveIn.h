// An input device for tests, fed from samples, whose pace the test controls.
//
// The device hears the fed audio (interleaved stereo 16-bit frames at 6000
// frames/s), then silence. Its place in that audio moves on only as audio
// arrives; audio that arrives while it is not started passes uncaptured.
//
// Paces:
// - manual: audio arrives only when the test calls arrive(), on the test's
//   thread; arriving audio fills the queued buffers in order, each filled
//   buffer is handed back at once, and what finds no queued buffer is dropped.
//   Several buffers filled by one arrive() are a burst.
// - asFastAsPossible: from start to stop a device thread fills each buffer as
//   soon as it is queued; nothing is dropped.
// - realTime: from start to stop a device thread lets audio arrive at 6000
//   frames/s in chunks, like a sound card, dropping what finds no buffer.
// stall() holds the device thread back; in real time the audio that arrived
// meanwhile comes in one burst at resume().
//
// Thread-safe; the completion runs on whichever thread delivers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "station/WaveIn.h"

namespace ditdahl {

class ScriptedWaveIn final : public WaveIn {
public:
    enum class Pace { manual, asFastAsPossible, realTime };

    explicit ScriptedWaveIn(std::vector<std::string> names = {"Scripted input"});
    ~ScriptedWaveIn() override;

    int deviceCount() override;
    std::string deviceName(int device) override;
    WaveResult open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer, WaveCompletion completion,
                    void* context) override;
    WaveResult prepare(WaveBuffer& buffer) override;
    WaveResult queue(WaveBuffer& buffer) override;
    WaveResult start() override;
    WaveResult stop() override;
    void close() override;
    std::uint64_t droppedFrames() override;

    // Set while the device is closed.
    void setPace(Pace pace, std::uint32_t chunkFrames = 64);
    // Appends interleaved stereo frames to what the device will hear.
    void feed(std::span<const std::int16_t> interleavedStereo);
    // Manual pace: frames arrive now; returns how many buffers were handed back.
    int arrive(std::uint32_t frames);
    void stall();
    void resume();
    // The next open fails with this result.
    void failNextOpen(WaveResult result);
    // Every open fails with this result from now on (ok: none does), as with
    // a device unplugged.
    void failOpens(WaveResult result);

    // What the program did with the device.
    struct Activity {
        int opens = 0;
        int failedOpens = 0;
        int closes = 0;
        int starts = 0;
        int stops = 0;
        int lastDevice = 0;  // as passed to the last successful open
        std::uint32_t lastFramesPerBuffer = 0;
        bool isOpen = false;
        bool isStarted = false;
    };
    Activity activity();
    // Lengths of the queued buffers, in queue order.
    std::vector<std::uint32_t> queuedBufferBytes();
    int queuedCount();
    // Waits until exactly count buffers are queued; false after the timeout.
    bool waitForQueued(int count, std::chrono::milliseconds timeout);

private:
    int deliver(std::uint32_t frames, std::unique_lock<std::mutex>& lock);
    void run();
    void endThread(std::unique_lock<std::mutex>& lock);

    const std::vector<std::string> names_;
    std::mutex mutex_;
    std::condition_variable changed_;

    Pace pace_ = Pace::manual;
    std::uint32_t chunkFrames_ = 64;
    std::vector<std::int16_t> audio_;
    std::size_t positionFrames_ = 0;

    WaveCompletion completion_ = nullptr;
    void* context_ = nullptr;
    std::uint32_t bytesPerFrame_ = 4;
    std::deque<WaveBuffer*> queue_;
    std::uint32_t headFilledBytes_ = 0;
    std::uint64_t droppedFrames_ = 0;
    WaveResult nextOpenFailure_ = WaveResult::ok;
    WaveResult openFailure_ = WaveResult::ok;
    Activity activity_;

    int deliveries_ = 0;  // deliveries under way, completions included
    bool stalled_ = false;
    bool threadEnding_ = false;
    std::thread thread_;
};

}  // namespace ditdahl
