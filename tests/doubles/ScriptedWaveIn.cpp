// An input device for tests: see the header. Runs on the test's thread and,
// in the paced modes, on a device thread of its own.
#include "doubles/ScriptedWaveIn.h"

#include <algorithm>
#include <utility>

namespace ditdahl {

namespace {

constexpr std::uint32_t framesPerSecond = 6000;

}  // namespace

ScriptedWaveIn::ScriptedWaveIn(std::vector<std::string> names) : names_(std::move(names)) {}

ScriptedWaveIn::~ScriptedWaveIn() { close(); }

int ScriptedWaveIn::deviceCount() { return static_cast<int>(names_.size()); }

std::string ScriptedWaveIn::deviceName(int device) {
    if (device < 0 || device >= deviceCount()) return {};
    return names_[static_cast<std::size_t>(device)];
}

WaveResult ScriptedWaveIn::open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer,
                                WaveCompletion completion, void* context) {
    std::unique_lock lock(mutex_);
    if (nextOpenFailure_ != WaveResult::ok || openFailure_ != WaveResult::ok) {
        ++activity_.failedOpens;
        if (nextOpenFailure_ != WaveResult::ok) return std::exchange(nextOpenFailure_, WaveResult::ok);
        return openFailure_;
    }
    if (activity_.isOpen) return WaveResult::busy;
    if (device < defaultDevice || device >= deviceCount() || names_.empty()) return WaveResult::noDevice;
    if (format.sampleRate != framesPerSecond || format.channels != 2 || format.bitsPerSample != 16)
        return WaveResult::badFormat;
    completion_ = completion;
    context_ = context;
    bytesPerFrame_ = format.bytesPerFrame();
    queue_.clear();
    headFilledBytes_ = 0;
    droppedFrames_ = 0;
    activity_.isOpen = true;
    activity_.lastDevice = device;
    activity_.lastFramesPerBuffer = framesPerBuffer;
    ++activity_.opens;
    return WaveResult::ok;
}

WaveResult ScriptedWaveIn::prepare(WaveBuffer& buffer) {
    std::unique_lock lock(mutex_);
    if (!activity_.isOpen) return WaveResult::notOpen;
    if (buffer.data == nullptr || buffer.bufferBytes == 0 || buffer.bufferBytes % bytesPerFrame_ != 0)
        return WaveResult::badBuffer;
    buffer.prepared = true;
    return WaveResult::ok;
}

WaveResult ScriptedWaveIn::queue(WaveBuffer& buffer) {
    std::unique_lock lock(mutex_);
    if (!activity_.isOpen) return WaveResult::notOpen;
    if (!buffer.prepared || std::find(queue_.begin(), queue_.end(), &buffer) != queue_.end())
        return WaveResult::badBuffer;
    buffer.bytesRecorded = 0;
    queue_.push_back(&buffer);
    changed_.notify_all();
    return WaveResult::ok;
}

WaveResult ScriptedWaveIn::start() {
    std::unique_lock lock(mutex_);
    if (!activity_.isOpen) return WaveResult::notOpen;
    if (activity_.isStarted) return WaveResult::ok;
    activity_.isStarted = true;
    ++activity_.starts;
    if (pace_ != Pace::manual) thread_ = std::thread([this] { run(); });
    return WaveResult::ok;
}

WaveResult ScriptedWaveIn::stop() {
    std::unique_lock lock(mutex_);
    if (!activity_.isOpen) return WaveResult::notOpen;
    activity_.isStarted = false;
    ++activity_.stops;
    endThread(lock);
    return WaveResult::ok;
}

void ScriptedWaveIn::close() {
    std::unique_lock lock(mutex_);
    if (!activity_.isOpen) return;
    activity_.isStarted = false;
    endThread(lock);
    queue_.clear();
    headFilledBytes_ = 0;
    completion_ = nullptr;
    context_ = nullptr;
    activity_.isOpen = false;
    ++activity_.closes;
    changed_.notify_all();
}

void ScriptedWaveIn::endThread(std::unique_lock<std::mutex>& lock) {
    if (thread_.joinable()) {
        threadEnding_ = true;
        changed_.notify_all();
        std::thread ending = std::move(thread_);
        lock.unlock();
        ending.join();
        lock.lock();
        threadEnding_ = false;
    }
    // A delivery on another thread (manual pace) finishes its completions first.
    changed_.wait(lock, [this] { return deliveries_ == 0; });
}

std::uint64_t ScriptedWaveIn::droppedFrames() {
    std::unique_lock lock(mutex_);
    return droppedFrames_;
}

void ScriptedWaveIn::setPace(Pace pace, std::uint32_t chunkFrames) {
    std::unique_lock lock(mutex_);
    pace_ = pace;
    chunkFrames_ = std::max<std::uint32_t>(chunkFrames, 1);
}

void ScriptedWaveIn::feed(std::span<const std::int16_t> interleavedStereo) {
    std::unique_lock lock(mutex_);
    audio_.insert(audio_.end(), interleavedStereo.begin(), interleavedStereo.end());
}

int ScriptedWaveIn::arrive(std::uint32_t frames) {
    std::unique_lock lock(mutex_);
    return deliver(frames, lock);
}

void ScriptedWaveIn::stall() {
    std::unique_lock lock(mutex_);
    stalled_ = true;
}

void ScriptedWaveIn::resume() {
    std::unique_lock lock(mutex_);
    stalled_ = false;
    changed_.notify_all();
}

void ScriptedWaveIn::failNextOpen(WaveResult result) {
    std::unique_lock lock(mutex_);
    nextOpenFailure_ = result;
}

void ScriptedWaveIn::failOpens(WaveResult result) {
    std::unique_lock lock(mutex_);
    openFailure_ = result;
}

ScriptedWaveIn::Activity ScriptedWaveIn::activity() {
    std::unique_lock lock(mutex_);
    return activity_;
}

std::vector<std::uint32_t> ScriptedWaveIn::queuedBufferBytes() {
    std::unique_lock lock(mutex_);
    std::vector<std::uint32_t> lengths;
    for (const WaveBuffer* buffer : queue_) lengths.push_back(buffer->bufferBytes);
    return lengths;
}

int ScriptedWaveIn::queuedCount() {
    std::unique_lock lock(mutex_);
    return static_cast<int>(queue_.size());
}

bool ScriptedWaveIn::waitForQueued(int count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return static_cast<int>(queue_.size()) == count; });
}

// Fills queued buffers from the fed audio (silence beyond it) and hands the
// filled ones back, in order, with the lock released so that the receiver may
// queue buffers meanwhile.
int ScriptedWaveIn::deliver(std::uint32_t frames, std::unique_lock<std::mutex>& lock) {
    ++deliveries_;
    std::vector<WaveBuffer*> filled;
    const std::size_t fedFrames = audio_.size() / 2;
    while (frames > 0) {
        if (!activity_.isStarted) {
            positionFrames_ += frames;
            break;
        }
        if (queue_.empty()) {
            droppedFrames_ += frames;
            positionFrames_ += frames;
            break;
        }
        WaveBuffer& head = *queue_.front();
        const std::uint32_t room = (head.bufferBytes - headFilledBytes_) / bytesPerFrame_;
        const std::uint32_t count = std::min(frames, room);
        auto* out = reinterpret_cast<std::int16_t*>(head.data + headFilledBytes_);
        for (std::uint32_t k = 0; k < count; ++k, ++positionFrames_) {
            const bool heard = positionFrames_ < fedFrames;
            out[2 * k] = heard ? audio_[2 * positionFrames_] : 0;
            out[2 * k + 1] = heard ? audio_[2 * positionFrames_ + 1] : 0;
        }
        headFilledBytes_ += count * bytesPerFrame_;
        frames -= count;
        if (headFilledBytes_ == head.bufferBytes) {
            head.bytesRecorded = head.bufferBytes;
            headFilledBytes_ = 0;
            queue_.pop_front();
            filled.push_back(&head);
        }
    }
    const WaveCompletion completion = completion_;
    void* const context = context_;
    lock.unlock();
    for (WaveBuffer* buffer : filled) completion(context, *buffer);
    lock.lock();
    --deliveries_;
    changed_.notify_all();
    return static_cast<int>(filled.size());
}

void ScriptedWaveIn::run() {
    std::unique_lock lock(mutex_);
    const auto began = std::chrono::steady_clock::now();
    std::uint64_t arrivedFrames = 0;
    while (!threadEnding_) {
        if (stalled_) {
            changed_.wait(lock);
            continue;
        }
        if (pace_ == Pace::asFastAsPossible) {
            if (queue_.empty()) {
                changed_.wait(lock);
                continue;
            }
            deliver((queue_.front()->bufferBytes - headFilledBytes_) / bytesPerFrame_, lock);
            continue;
        }
        const auto elapsed = std::chrono::steady_clock::now() - began;
        const auto elapsedFrames = static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() * framesPerSecond / 1000000);
        const std::uint64_t due = elapsedFrames / chunkFrames_ * chunkFrames_;
        if (due > arrivedFrames) {
            const std::uint64_t frames = due - arrivedFrames;
            arrivedFrames = due;
            deliver(static_cast<std::uint32_t>(frames), lock);
            continue;
        }
        const auto nextChunk =
            began + std::chrono::microseconds((arrivedFrames + chunkFrames_) * 1000000 / framesPerSecond);
        changed_.wait_until(lock, nextChunk);
    }
}

}  // namespace ditdahl
