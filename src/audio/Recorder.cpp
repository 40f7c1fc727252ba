// The recorder: see the header. open, start and close run on the window
// thread, waveInCallback on the device's thread, captureThread on the worker.
#include "audio/Recorder.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "station/ThreadPriority.h"

namespace ditdahl {

// Everything one capture owns, from open to close.
struct Recorder::Capture {
    explicit Capture(WaveIn& device) : waveIn(device) {}

    WaveIn& waveIn;
    BlockHandler handler;
    // The 16 data blocks, one after the other, zero-filled.
    std::unique_ptr<std::int16_t[]> samples{new std::int16_t[bufferCount * maxBlockFrames * 2]()};
    std::array<WaveBuffer, bufferCount> buffers{};

    // Completed buffers in the order the device filled them, from the device's
    // thread to the worker. Each buffer is at the device, here or with the
    // worker, so the ring never holds more than 16.
    std::mutex mutex;
    std::condition_variable completedOne;
    std::array<WaveBuffer*, bufferCount> completed{};
    std::size_t firstCompleted = 0;
    std::size_t completedCount = 0;
    bool ending = false;

    std::thread worker;

    const std::int16_t* framesOf(const WaveBuffer& buffer) const {
        const auto slot = static_cast<std::size_t>(&buffer - buffers.data());
        return samples.get() + slot * maxBlockFrames * 2;
    }
};

Recorder::Recorder(StationState& state, WaveIn& waveIn) : state_(state), waveIn_(waveIn) {}

Recorder::~Recorder() {
    close();
    handler_ = nullptr;
}

WaveResult Recorder::open(int device) {
    if (capture_) return WaveResult::ok;
    const int blockFrames = state_.fftSize.load(std::memory_order_relaxed);
    if (blockFrames <= 0 || blockFrames > static_cast<int>(maxBlockFrames)) return WaveResult::badBuffer;

    auto capture = std::make_unique<Capture>(waveIn_);
    const WaveFormat format;
    for (std::size_t slot = 0; slot < capture->buffers.size(); ++slot) {
        WaveBuffer& buffer = capture->buffers[slot];
        buffer.data = reinterpret_cast<std::uint8_t*>(capture->samples.get() + slot * maxBlockFrames * 2);
        buffer.bufferBytes = static_cast<std::uint32_t>(blockFrames) * format.bytesPerFrame();
    }
    const WaveResult result =
        waveIn_.open(device, format, static_cast<std::uint32_t>(blockFrames), &Recorder::waveInCallback, capture.get());
    if (result != WaveResult::ok) return result;
    capture_ = std::move(capture);
    return WaveResult::ok;
}

void Recorder::start() {
    if (!capture_ || running_) return;
    for (WaveBuffer& buffer : capture_->buffers) {
        if (waveIn_.prepare(buffer) != WaveResult::ok || waveIn_.queue(buffer) != WaveResult::ok) return;
    }
    running_ = true;
    capture_->handler = handler_;
    capture_->worker = std::thread([this, capture = capture_.get()] { captureThread(*capture); });
    waveIn_.start();
}

WaveResult Recorder::close() {
    if (!capture_) return WaveResult::ok;
    // After stop the device calls the completion no more; the worker then
    // finishes the block in hand and leaves. Neither waits for the window.
    const WaveResult stopped = waveIn_.stop();
    running_ = false;
    {
        std::lock_guard lock(capture_->mutex);
        capture_->ending = true;
    }
    capture_->completedOne.notify_one();
    if (capture_->worker.joinable()) capture_->worker.join();
    // Only now may the device forget its queue and the buffers go.
    waveIn_.close();
    capture_.reset();
    return stopped;
}

void Recorder::setHandler(BlockHandler handler) { handler_ = std::move(handler); }

bool Recorder::isOpen() const { return capture_ != nullptr; }

bool Recorder::isRunning() const { return running_; }

void Recorder::waveInCallback(void* context, WaveBuffer& buffer) {
    auto& capture = *static_cast<Capture*>(context);
    {
        std::lock_guard lock(capture.mutex);
        capture.completed[(capture.firstCompleted + capture.completedCount) % bufferCount] = &buffer;
        ++capture.completedCount;
    }
    capture.completedOne.notify_one();
}

void Recorder::captureThread(Capture& capture) {
    raiseThreadPriority();
    for (;;) {
        WaveBuffer* buffer = nullptr;
        {
            std::unique_lock lock(capture.mutex);
            capture.completedOne.wait(lock, [&] { return capture.ending || capture.completedCount > 0; });
            if (capture.ending) return;
            buffer = capture.completed[capture.firstCompleted];
            capture.firstCompleted = (capture.firstCompleted + 1) % bufferCount;
            --capture.completedCount;
        }
        if (capture.handler) capture.handler(capture.framesOf(*buffer));
        capture.waveIn.queue(*buffer);
    }
}

}  // namespace ditdahl
