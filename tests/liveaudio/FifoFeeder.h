// Plays audio into a FIFO in real time, as a sound card would hear it: a
// thread writes interleaved stereo 16-bit frames at 6000 frames/s in chunks
// of 1024 bytes (the sound system's file input does not retry a short read,
// so every write must hold at least one of its periods), starting when a
// capture first reads from the FIFO. The feeder holds the
// FIFO open itself, so that the sound system may open and close it while it
// probes devices without blocking or breaking the writer.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace ditdahl::testing {

// What the feeder plays once the frames are over: them again, silence, or
// nothing at all, as a stalled sound card or a stopped sound server delivers.
enum class AfterAudio { Repeat, Silence, Stall };

class FifoFeeder {
public:
    // Creates the FIFO at path and starts playing frames, then what `after`
    // says.
    FifoFeeder(std::string path, std::vector<std::int16_t> interleavedStereo, AfterAudio after);
    ~FifoFeeder();
    FifoFeeder(const FifoFeeder&) = delete;
    FifoFeeder& operator=(const FifoFeeder&) = delete;

    bool ok() const { return fd_ >= 0; }

private:
    void play();

    const std::string path_;
    std::vector<std::int16_t> frames_;
    const AfterAudio after_;
    int fd_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace ditdahl::testing
