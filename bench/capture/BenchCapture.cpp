// Capture hand-over on the real clock, through the Recorder and the scripted
// device paced at 6000 frames/s:
// - latency from the device's completion of a buffer to the start of its
//   handler (the hand-over proper), and from the moment the block's last
//   frame was due to the start of its handler (the device thread's own
//   lateness included), for 64- and 128-frame blocks;
// - a handler that takes longer than the block period: blocks handled per
//   second, audio dropped at the device, and the ring after it.
// Usage: bench_capture [SECONDS]   (per run, default 10)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/Recorder.h"
#include "doubles/ScriptedWaveIn.h"
#include "portable/ControlModel.h"
#include "shell/WindowDisplays.h"
#include "station/WindowTemplate.h"

using namespace ditdahl;
using SteadyClock = std::chrono::steady_clock;

namespace {

// Frame k carries k: low 16 bits left, high 16 bits right.
std::vector<std::int16_t> countingAudio(std::uint32_t frames) {
    std::vector<std::int16_t> audio(2 * static_cast<std::size_t>(frames));
    for (std::uint32_t k = 0; k < frames; ++k) {
        audio[2 * k] = static_cast<std::int16_t>(k & 0xFFFF);
        audio[2 * k + 1] = static_cast<std::int16_t>(k >> 16);
    }
    return audio;
}

std::uint32_t frameIndex(const std::int16_t* frame) {
    return static_cast<std::uint16_t>(frame[0]) | static_cast<std::uint32_t>(static_cast<std::uint16_t>(frame[1]))
                                                      << 16;
}

// The scripted device, with the time of each buffer's completion noted.
class TimedWaveIn final : public WaveIn {
public:
    explicit TimedWaveIn(ScriptedWaveIn& device) : device_(device) {}
    int deviceCount() override { return device_.deviceCount(); }
    std::string deviceName(int device) override { return device_.deviceName(device); }
    WaveResult open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer, WaveCompletion completion,
                    void* context) override {
        completion_ = completion;
        context_ = context;
        return device_.open(device, format, framesPerBuffer, &TimedWaveIn::completed, this);
    }
    WaveResult prepare(WaveBuffer& buffer) override { return device_.prepare(buffer); }
    WaveResult queue(WaveBuffer& buffer) override { return device_.queue(buffer); }
    WaveResult start() override { return device_.start(); }
    WaveResult stop() override { return device_.stop(); }
    void close() override { device_.close(); }
    std::uint64_t droppedFrames() override { return device_.droppedFrames(); }

    SteadyClock::time_point completedAt(const void* data) {
        std::lock_guard lock(mutex_);
        return completedAt_[data];
    }

private:
    static void completed(void* self, WaveBuffer& buffer) {
        auto& timed = *static_cast<TimedWaveIn*>(self);
        {
            std::lock_guard lock(timed.mutex_);
            timed.completedAt_[buffer.data] = SteadyClock::now();
        }
        timed.completion_(timed.context_, buffer);
    }

    ScriptedWaveIn& device_;
    WaveCompletion completion_ = nullptr;
    void* context_ = nullptr;
    std::mutex mutex_;
    std::map<const void*, SteadyClock::time_point> completedAt_;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

struct Run {
    std::vector<double> handOverMs;
    std::vector<double> latenciesMs;
    std::uint32_t blocks = 0;
    std::uint64_t droppedFrames = 0;
    int queuedAfter = 0;
    double seconds = 0;
};

Run capture(int blockFrames, double seconds, std::chrono::microseconds handlerWork) {
    ControlModel window(mainWindowTemplate());
    WindowDisplays displays(window);
    StationState state;
    state.mainWindow = &window;
    state.displays = displays.all();
    state.fftSize = blockFrames;
    ScriptedWaveIn device;
    device.setPace(ScriptedWaveIn::Pace::realTime, static_cast<std::uint32_t>(blockFrames));
    device.feed(countingAudio(static_cast<std::uint32_t>((seconds + 2) * 6000)));
    TimedWaveIn timed(device);
    Recorder recorder(state, timed);

    Run run;
    std::mutex mutex;
    SteadyClock::time_point began;
    recorder.setHandler([&](const std::int16_t* frames) {
        const auto now = SteadyClock::now();
        const double handOverMs = std::chrono::duration<double, std::milli>(now - timed.completedAt(frames)).count();
        const double audioCompleteS = (frameIndex(frames) + static_cast<double>(blockFrames)) / 6000.0;
        const double latencyMs = std::chrono::duration<double, std::milli>(now - began).count() - audioCompleteS * 1000;
        {
            std::lock_guard lock(mutex);
            run.handOverMs.push_back(handOverMs);
            run.latenciesMs.push_back(latencyMs);
            ++run.blocks;
        }
        if (handlerWork.count() > 0) std::this_thread::sleep_for(handlerWork);
    });
    recorder.open();
    began = SteadyClock::now();
    recorder.start();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    device.stall();  // let the worker catch up, then look at the ring
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    run.droppedFrames = device.droppedFrames();
    run.queuedAfter = device.queuedCount();
    run.seconds = seconds;
    recorder.close();
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    std::printf("Latency to the handler's start, %.0f s per run\n", seconds);
    std::printf("| block | blocks | from | median | p99 | max |\n|---|---|---|---|---|---|\n");
    for (const int frames : {64, 128}) {
        const Run run = capture(frames, seconds, std::chrono::microseconds(0));
        std::printf("| %d frames | %u | completion | %.3f ms | %.3f ms | %.3f ms |\n", frames, run.blocks,
                    percentile(run.handOverMs, 0.5), percentile(run.handOverMs, 0.99), percentile(run.handOverMs, 1.0));
        std::printf("| | | audio due | %.3f ms | %.3f ms | %.3f ms |\n", percentile(run.latenciesMs, 0.5),
                    percentile(run.latenciesMs, 0.99), percentile(run.latenciesMs, 1.0));
    }
    std::printf("\nSlow handler at 64 frames (block period 10.67 ms)\n");
    std::printf("| handler | blocks/s | dropped at the device | queued after |\n|---|---|---|---|\n");
    for (const int workMs : {5, 15, 30}) {
        const Run run = capture(64, seconds, std::chrono::milliseconds(workMs));
        std::printf("| %d ms | %.1f | %.1f %% | %d of 16 |\n", workMs, run.blocks / run.seconds,
                    100.0 * static_cast<double>(run.droppedFrames) / (run.seconds * 6000), run.queuedAfter);
    }
    return 0;
}
