// Audio input through waveIn: see the header. The operations run on the
// caller's thread, Ring::callback on the device's thread, requeueLoop on a
// thread of this object.
#include "win32/WaveInDevice.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>

namespace ditdahl {

struct WaveInDevice::Ring {
    explicit Ring(WaveInDevice& device) : owner(device) {}

    static void CALLBACK callback(HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR param, DWORD_PTR) {
        if (message != WIM_DATA) return;
        auto& ring = *reinterpret_cast<Ring*>(instance);
        if (ring.abandoned) return;
        auto* header = reinterpret_cast<WAVEHDR*>(param);
        ring.owner.filled(reinterpret_cast<const std::uint8_t*>(header->lpData), header->dwBytesRecorded, header);
    }

    WaveInDevice& owner;
    HWAVEIN handle = nullptr;
    std::vector<std::uint8_t> memory;
    std::vector<WAVEHDR> headers;
    // Set when the device did not stop in time: the callback, should it ever
    // run again, touches nothing.
    std::atomic<bool> abandoned{false};
};

namespace {

// Rings given up on stay alive (and reachable, so that no leak checker
// reports them) for as long as the device may still use them.
std::vector<void*>& abandonedRings() {
    static auto* rings = new std::vector<void*>;
    return *rings;
}

// Resets the device on a thread of its own and waits at most `limit` for it;
// false when the device has not let go by then.
bool resetWithin(HWAVEIN handle, std::chrono::milliseconds limit) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto outcome = std::make_shared<Outcome>();
    std::thread([handle, outcome] {
        waveInReset(handle);
        std::lock_guard lock(outcome->mutex);
        outcome->finished = true;
        outcome->done.notify_all();
    }).detach();
    std::unique_lock lock(outcome->mutex);
    return outcome->done.wait_for(lock, limit, [&] { return outcome->finished; });
}

WaveResult fromWaveIn(MMRESULT result) {
    switch (result) {
        case MMSYSERR_NOERROR:
            return WaveResult::ok;
        case MMSYSERR_BADDEVICEID:
        case MMSYSERR_NODRIVER:
            return WaveResult::noDevice;
        case MMSYSERR_ALLOCATED:
            return WaveResult::busy;
        case WAVERR_BADFORMAT:
            return WaveResult::badFormat;
        default:
            return WaveResult::deviceError;
    }
}

}  // namespace

WaveInDevice::WaveInDevice() = default;

WaveInDevice::~WaveInDevice() { close(); }

int WaveInDevice::deviceCount() { return static_cast<int>(waveInGetNumDevs()); }

std::string WaveInDevice::deviceName(int device) {
    if (device < 0 || device >= deviceCount()) return {};
    WAVEINCAPSA caps{};
    if (waveInGetDevCapsA(static_cast<UINT_PTR>(device), &caps, sizeof(caps)) != MMSYSERR_NOERROR) return {};
    return caps.szPname;
}

WaveResult WaveInDevice::open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer,
                              WaveCompletion completion, void* context) {
    if (ring_ != nullptr) return WaveResult::busy;
    if (format.bitsPerSample != 16 || format.channels != 2 || framesPerBuffer == 0) return WaveResult::badFormat;
    if (device != defaultDevice && (device < 0 || device >= deviceCount())) return WaveResult::noDevice;

    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.sampleRate;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.nBlockAlign = static_cast<WORD>(format.bytesPerFrame());
    wave.nAvgBytesPerSec = format.sampleRate * format.bytesPerFrame();

    auto ring = std::make_unique<Ring>(*this);
    const UINT id = device == defaultDevice ? WAVE_MAPPER : static_cast<UINT>(device);
    const MMRESULT opened = waveInOpen(&ring->handle, id, &wave, reinterpret_cast<DWORD_PTR>(&Ring::callback),
                                       reinterpret_cast<DWORD_PTR>(ring.get()), CALLBACK_FUNCTION);
    if (opened != MMSYSERR_NOERROR) return fromWaveIn(opened);

    const std::uint32_t bufferBytes = framesPerBuffer * format.bytesPerFrame();
    ring->memory.resize(std::size_t{bufferBytes} * deviceBuffers);
    ring->headers.resize(deviceBuffers);
    for (int i = 0; i < deviceBuffers; ++i) {
        WAVEHDR& header = ring->headers[static_cast<std::size_t>(i)];
        header.lpData = reinterpret_cast<LPSTR>(ring->memory.data() + std::size_t{bufferBytes} * i);
        header.dwBufferLength = bufferBytes;
        const MMRESULT prepared = waveInPrepareHeader(ring->handle, &header, sizeof(header));
        if (prepared != MMSYSERR_NOERROR) {
            for (int k = 0; k < i; ++k) waveInUnprepareHeader(ring->handle, &ring->headers[k], sizeof(WAVEHDR));
            waveInClose(ring->handle);
            return fromWaveIn(prepared);
        }
    }
    {
        std::lock_guard lock(mutex_);
        buffers_.open(completion, context);
    }
    ring_ = std::move(ring);
    return WaveResult::ok;
}

WaveResult WaveInDevice::prepare(WaveBuffer& buffer) {
    if (ring_ == nullptr) return WaveResult::notOpen;
    if (buffer.data == nullptr || buffer.bufferBytes == 0 || buffer.bufferBytes % 4 != 0) return WaveResult::badBuffer;
    buffer.prepared = true;
    return WaveResult::ok;
}

WaveResult WaveInDevice::queue(WaveBuffer& buffer) {
    if (!buffer.prepared) return WaveResult::badBuffer;
    std::lock_guard lock(mutex_);
    return buffers_.add(buffer);
}

WaveResult WaveInDevice::start() {
    if (ring_ == nullptr) return WaveResult::notOpen;
    if (started_) return WaveResult::ok;
    {
        std::lock_guard lock(mutex_);
        done_.clear();
        delivering_ = true;
        requeueing_ = true;
    }
    for (WAVEHDR& header : ring_->headers) {
        if ((header.dwFlags & WHDR_INQUEUE) == 0) waveInAddBuffer(ring_->handle, &header, sizeof(header));
    }
    requeuer_ = std::thread([this] { requeueLoop(); });
    started_ = true;
    const MMRESULT result = waveInStart(ring_->handle);
    if (result != MMSYSERR_NOERROR) stop();
    return fromWaveIn(result);
}

void WaveInDevice::stopRequeueing() {
    {
        std::lock_guard lock(mutex_);
        requeueing_ = false;
    }
    returned_.notify_all();
    if (requeuer_.joinable()) requeuer_.join();
}

WaveResult WaveInDevice::stop() {
    if (ring_ == nullptr) return WaveResult::notOpen;
    if (!started_) return WaveResult::ok;
    {
        // Once this lock is taken no completion is running, and none starts.
        std::lock_guard lock(mutex_);
        delivering_ = false;
        buffers_.restart();
    }
    stopRequeueing();
    started_ = false;
    if (resetWithin(ring_->handle, stopLimit)) return WaveResult::ok;
    ring_->abandoned = true;
    abandonedRings().push_back(ring_.release());
    std::lock_guard lock(mutex_);
    buffers_.close();
    return WaveResult::deviceError;
}

void WaveInDevice::close() {
    if (ring_ == nullptr) return;
    if (stop() == WaveResult::deviceError) return;  // abandoned
    for (WAVEHDR& header : ring_->headers) waveInUnprepareHeader(ring_->handle, &header, sizeof(header));
    waveInClose(ring_->handle);
    ring_.reset();
    std::lock_guard lock(mutex_);
    buffers_.close();
}

std::uint64_t WaveInDevice::droppedFrames() {
    std::lock_guard lock(mutex_);
    return buffers_.droppedFrames();
}

void WaveInDevice::filled(const std::uint8_t* bytes, std::size_t byteCount, void* header) {
    {
        std::lock_guard lock(mutex_);
        if (delivering_) buffers_.fill(bytes, byteCount);
        done_.push_back(header);
    }
    returned_.notify_one();
}

// The device's buffers go back to it from here, never from its callback.
void WaveInDevice::requeueLoop() {
    std::vector<void*> giveBack;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            returned_.wait(lock, [this] { return !done_.empty() || !requeueing_; });
            if (!requeueing_) return;
            giveBack.swap(done_);
        }
        for (void* header : giveBack) waveInAddBuffer(ring_->handle, static_cast<WAVEHDR*>(header), sizeof(WAVEHDR));
        giveBack.clear();
    }
}

}  // namespace ditdahl
