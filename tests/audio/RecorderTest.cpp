#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/Recorder.h"
#include "doubles/ScriptedWaveIn.h"
#include "station/ControlIds.h"
#include "support/Station.h"

namespace ditdahl {
namespace {

using namespace std::chrono_literals;
using testing::TestStation;

// Audio whose frame k carries k in its left sample (and -k in its right), so
// that the first sample of a block tells where in the audio it came from.
std::vector<std::int16_t> countingAudio(int frames) {
    std::vector<std::int16_t> audio;
    for (int k = 0; k < frames; ++k) {
        audio.push_back(static_cast<std::int16_t>(k));
        audio.push_back(static_cast<std::int16_t>(-k));
    }
    return audio;
}

// The blocks the handler saw, by their first frame, and a way to hold the
// handler up.
class BlockLog {
public:
    BlockHandler handler() {
        return [this](const std::int16_t* frames) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !held_; });
            firstFrames_.push_back(frames[0]);
            if (frames[1] != -frames[0]) mismatched_ = true;
            changed_.notify_all();
        };
    }
    void hold() {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        std::lock_guard lock(mutex_);
        held_ = false;
        changed_.notify_all();
    }
    bool waitForBlocks(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return firstFrames_.size() >= count; });
    }
    std::vector<int> firstFrames() {
        std::lock_guard lock(mutex_);
        return firstFrames_;
    }
    bool mismatched() {
        std::lock_guard lock(mutex_);
        return mismatched_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool mismatched_ = false;
    std::vector<int> firstFrames_;
};

std::vector<int> consecutiveBlocks(int firstBlock, int count, int blockFrames) {
    std::vector<int> frames;
    for (int b = firstBlock; b < firstBlock + count; ++b) frames.push_back(b * blockFrames);
    return frames;
}

struct CaptureRig {
    explicit CaptureRig(int fftSize = 64, std::vector<std::string> names = {"Line in", "USB codec", "Monitor"})
        : device(std::move(names)), recorder(station.state, device) {
        station.state.fftSize = fftSize;
        for (int d = 0; d < device.deviceCount(); ++d) station.window.addEntry(ids::inputList, device.deviceName(d));
        recorder.setHandler(log.handler());
    }
    TestStation station;
    ScriptedWaveIn device;
    BlockLog log;
    Recorder recorder;
};

TEST(Recorder, OpenAndStartOnlyWhenTheyCan) {
    struct Case {
        const char* name;
        std::function<void(CaptureRig&)> act;
        int opens;
        int starts;
        int queued;
        bool open;
        bool running;
    };
    const Case cases[] = {
        {"open while open does nothing",
         [](CaptureRig& r) {
             EXPECT_EQ(r.recorder.open(), WaveResult::ok);
             EXPECT_EQ(r.recorder.open(), WaveResult::ok);
         },
         1, 0, 0, true, false},
        {"start without open does nothing", [](CaptureRig& r) { r.recorder.start(); }, 0, 0, 0, false, false},
        {"open and start queue the whole ring",
         [](CaptureRig& r) {
             r.recorder.open();
             r.recorder.start();
         },
         1, 1, 16, true, true},
        {"start twice starts one capture",
         [](CaptureRig& r) {
             r.recorder.open();
             r.recorder.start();
             r.recorder.start();
         },
         1, 1, 16, true, true},
        {"a device that fails to open leaves nothing to start",
         [](CaptureRig& r) {
             r.device.failNextOpen(WaveResult::busy);
             EXPECT_EQ(r.recorder.open(), WaveResult::busy);
             r.recorder.start();
         },
         0, 0, 0, false, false},
        {"a block size the buffers cannot hold is refused",
         [](CaptureRig& r) {
             r.station.state.fftSize = 256;
             EXPECT_EQ(r.recorder.open(), WaveResult::badBuffer);
             r.recorder.start();
         },
         0, 0, 0, false, false},
        {"close after open without start",
         [](CaptureRig& r) {
             r.recorder.open();
             r.recorder.close();
         },
         1, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureRig rig;
        c.act(rig);
        const auto activity = rig.device.activity();
        EXPECT_EQ(activity.opens, c.opens);
        EXPECT_EQ(activity.starts, c.starts);
        EXPECT_EQ(rig.device.queuedCount(), c.queued);
        EXPECT_EQ(rig.recorder.isOpen(), c.open);
        EXPECT_EQ(rig.recorder.isRunning(), c.running);
        EXPECT_EQ(activity.isOpen, c.open);
    }
}

TEST(Recorder, OpensTheSelectedInputOrTheDefault) {
    const std::pair<int, int> cases[] = {{-1, WaveIn::defaultDevice}, {0, 0}, {2, 2}, {7, WaveIn::defaultDevice}};
    for (const auto& [selection, expected] : cases) {
        SCOPED_TRACE(selection);
        CaptureRig rig;
        rig.station.window.select(ids::inputList, selection);
        ASSERT_EQ(rig.recorder.open(rig.station.window.selectedIndex(ids::inputList)), WaveResult::ok);
        EXPECT_EQ(rig.device.activity().lastDevice, expected);
    }
}

TEST(Recorder, BufferLengthFollowsTheBlockSizeAcrossARestart) {
    CaptureRig rig(64);
    rig.recorder.open();
    rig.recorder.start();
    EXPECT_EQ(rig.device.activity().lastFramesPerBuffer, 64u);
    EXPECT_EQ(rig.device.queuedBufferBytes(), std::vector<std::uint32_t>(16, 256));

    rig.station.state.fftSize = 128;
    rig.recorder.close();
    rig.recorder.open();
    rig.recorder.start();
    const auto activity = rig.device.activity();
    EXPECT_EQ(activity.closes, 1);
    EXPECT_EQ(activity.opens, 2);
    EXPECT_EQ(activity.lastFramesPerBuffer, 128u);
    EXPECT_EQ(rig.device.queuedBufferBytes(), std::vector<std::uint32_t>(16, 512));

    // The device fills whole 128-frame blocks.
    rig.device.feed(countingAudio(1024));
    EXPECT_EQ(rig.device.arrive(256), 2);
    ASSERT_TRUE(rig.log.waitForBlocks(2));
    EXPECT_EQ(rig.log.firstFrames(), consecutiveBlocks(0, 2, 128));
}

TEST(Recorder, BuffersCompletedTogetherAreAllAnalysedInOrderAndStayInTheRing) {
    for (const int burst : {2, 8, 15, 16}) {
        SCOPED_TRACE(burst);
        CaptureRig rig(64);
        rig.device.feed(countingAudio(64 * 64));
        rig.recorder.open();
        rig.recorder.start();
        int blocks = 0;
        for (int round = 0; round < 3; ++round) {
            // While the worker is busy, a whole burst completes at once.
            rig.log.hold();
            EXPECT_EQ(rig.device.arrive(64 * static_cast<std::uint32_t>(burst)), burst);
            rig.log.release();
            blocks += burst;
            ASSERT_TRUE(rig.log.waitForBlocks(static_cast<std::size_t>(blocks)));
            ASSERT_TRUE(rig.device.waitForQueued(16, 10s));
        }
        EXPECT_EQ(rig.log.firstFrames(), consecutiveBlocks(0, blocks, 64));
        EXPECT_FALSE(rig.log.mismatched());
        EXPECT_EQ(rig.device.droppedFrames(), 0u);
    }
}

TEST(Recorder, ASlowHandlerLosesAudioAtTheDeviceButNoBuffer) {
    CaptureRig rig(64);
    rig.device.feed(countingAudio(64 * 64));
    rig.recorder.open();
    rig.recorder.start();

    rig.log.hold();
    EXPECT_EQ(rig.device.arrive(16 * 64), 16);  // the whole ring is full
    EXPECT_EQ(rig.device.queuedCount(), 0);
    EXPECT_EQ(rig.device.arrive(10 * 64), 0);  // nowhere to put it
    EXPECT_EQ(rig.device.droppedFrames(), 10u * 64u);

    rig.log.release();
    ASSERT_TRUE(rig.log.waitForBlocks(16));
    ASSERT_TRUE(rig.device.waitForQueued(16, 10s));

    // Fast again: every block is handled, with the full ring.
    EXPECT_EQ(rig.device.arrive(4 * 64), 4);
    ASSERT_TRUE(rig.log.waitForBlocks(20));
    auto expected = consecutiveBlocks(0, 16, 64);
    const auto after = consecutiveBlocks(26, 4, 64);
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(rig.log.firstFrames(), expected);
    ASSERT_TRUE(rig.device.waitForQueued(16, 10s));
}

TEST(Recorder, AfterADeviceStallTheHeldBackAudioArrivesAsOneBurstAndAllOfItIsAnalysed) {
    CaptureRig rig(64);
    rig.device.setPace(ScriptedWaveIn::Pace::realTime);
    rig.device.feed(countingAudio(30000));
    std::atomic<int> fewestQueued{16};
    rig.recorder.setHandler([&, inner = rig.log.handler()](const std::int16_t* frames) {
        const int queued = rig.device.queuedCount();
        if (queued < fewestQueued) fewestQueued = queued;
        inner(frames);
    });
    rig.recorder.open();
    rig.recorder.start();
    ASSERT_TRUE(rig.log.waitForBlocks(3));
    rig.device.stall();
    std::this_thread::sleep_for(100ms);  // about 9 blocks held back
    const std::size_t beforeResume = rig.log.firstFrames().size();
    rig.device.resume();
    ASSERT_TRUE(rig.log.waitForBlocks(beforeResume + 9));
    rig.recorder.close();

    EXPECT_LE(fewestQueued, 16 - 5) << "no burst seen";
    const auto seen = rig.log.firstFrames();
    EXPECT_EQ(seen, consecutiveBlocks(0, static_cast<int>(seen.size()), 64));
    EXPECT_EQ(rig.device.droppedFrames(), 0u);
}

TEST(Recorder, StopAndStartWhileBlocksFlowLeaveOneWorker) {
    for (const auto pace : {ScriptedWaveIn::Pace::asFastAsPossible, ScriptedWaveIn::Pace::realTime}) {
        SCOPED_TRACE(static_cast<int>(pace));
        TestStation station;
        station.state.fftSize = 64;
        ScriptedWaveIn device;
        device.setPace(pace);
        Recorder recorder(station.state, device);

        std::atomic<int> inHandler{0};
        std::atomic<int> mostAtOnce{0};
        std::atomic<int> handled{0};
        std::atomic<bool> stopped{false};
        std::atomic<int> afterStop{0};
        recorder.setHandler([&](const std::int16_t*) {
            const int now = ++inHandler;
            int most = mostAtOnce.load();
            while (now > most && !mostAtOnce.compare_exchange_weak(most, now)) {}
            if (stopped) ++afterStop;
            ++handled;
            --inHandler;
        });

        for (int cycle = 0; cycle < 50; ++cycle) {
            stopped = false;
            recorder.open();
            recorder.start();
            const int target = handled + 3;
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (handled < target && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
            ASSERT_GE(handled, target) << "cycle " << cycle;
            recorder.close();
            stopped = true;
        }
        EXPECT_EQ(mostAtOnce, 1);
        EXPECT_EQ(afterStop, 0);
        const auto activity = device.activity();
        EXPECT_EQ(activity.opens, 50);
        EXPECT_EQ(activity.closes, 50);
        EXPECT_FALSE(activity.isOpen);
    }
}

TEST(Recorder, DestroyingTheRecorderEndsARunningCapture) {
    TestStation station;
    station.state.fftSize = 128;
    ScriptedWaveIn device;
    device.setPace(ScriptedWaveIn::Pace::asFastAsPossible);
    std::atomic<int> handled{0};
    {
        Recorder recorder(station.state, device);
        recorder.setHandler([&](const std::int16_t*) { ++handled; });
        recorder.open();
        recorder.start();
        while (handled < 5) std::this_thread::sleep_for(1ms);
    }
    const auto activity = device.activity();
    EXPECT_EQ(activity.closes, 1);
    EXPECT_FALSE(activity.isOpen);
    EXPECT_EQ(device.queuedCount(), 0);
}

}  // namespace
}  // namespace ditdahl
