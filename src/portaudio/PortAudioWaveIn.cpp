// Audio input through PortAudio: see the header. The operations run on the
// caller's thread, streamCallback on PortAudio's stream thread.
#include "portaudio/PortAudioWaveIn.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <thread>

#include "portaudio/DriverMessages.h"
#include "portaudio/RateConverter.h"

namespace ditdahl {

struct PortAudioWaveIn::Stream {
    explicit Stream(PortAudioWaveIn& owner) : device(owner) {}
    PortAudioWaveIn& device;
    PaStream* handle = nullptr;
    std::unique_ptr<RateConverter> converter;
    // Set when the device did not stop in time: the callback, should it ever
    // run again, touches nothing and ends the stream.
    std::atomic<bool> abandoned{false};
};

namespace {

// Streams given up on stay alive (and reachable, so that no leak checker
// reports them) for as long as a thread of PortAudio's may still use them.
std::vector<void*>& abandonedStreams() {
    static auto* streams = new std::vector<void*>;
    return *streams;
}

// Aborts the stream on a thread of its own and waits at most `limit` for it;
// false when the device has not let go by then.
bool abortWithin(PaStream* handle, std::chrono::milliseconds limit) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto outcome = std::make_shared<Outcome>();
    std::thread([handle, outcome] {
        Pa_AbortStream(handle);
        std::lock_guard lock(outcome->mutex);
        outcome->finished = true;
        outcome->done.notify_all();
    }).detach();
    std::unique_lock lock(outcome->mutex);
    return outcome->done.wait_for(lock, limit, [&] { return outcome->finished; });
}

// Rates to try, after the program's own, when a device cannot deliver it:
// the device's preferred rate first, then the usual ones.
constexpr std::array<double, 9> fallbackRates = {48000, 44100, 16000, 8000, 32000, 22050, 11025, 96000, 88200};

struct StreamChoice {
    double rate = 0;
    int channels = 0;
    PaSampleFormat sampleFormat = paInt16;
    bool converted = false;
};

bool supports(PaDeviceIndex device, const PaDeviceInfo& info, const StreamChoice& choice) {
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = choice.channels;
    parameters.sampleFormat = choice.sampleFormat;
    parameters.suggestedLatency = info.defaultLowInputLatency;
    return Pa_IsFormatSupported(&parameters, nullptr, choice.rate) == paFormatIsSupported;
}

// The program's format where the device has it; otherwise the first rate and
// channel count it supports, read as floats for the converter.
bool chooseStream(PaDeviceIndex device, const PaDeviceInfo& info, const WaveFormat& wanted, StreamChoice& choice) {
    const double wantedRate = wanted.sampleRate;
    if (info.maxInputChannels >= wanted.channels &&
        supports(device, info, {wantedRate, wanted.channels, paInt16, false})) {
        choice = {wantedRate, wanted.channels, paInt16, false};
        return true;
    }
    std::vector<double> rates = {wantedRate, info.defaultSampleRate};
    rates.insert(rates.end(), fallbackRates.begin(), fallbackRates.end());
    const int most = std::min(info.maxInputChannels, 2);
    for (const double rate : rates) {
        for (int channels = most; channels >= 1; --channels) {
            const StreamChoice candidate{rate, channels, paFloat32, true};
            if (rate > 0 && supports(device, info, candidate)) {
                choice = candidate;
                return true;
            }
        }
    }
    return false;
}

WaveResult fromPortAudio(PaError error) {
    switch (error) {
        case paNoError:
            return WaveResult::ok;
        case paInvalidDevice:
        case paDeviceUnavailable:
            return WaveResult::noDevice;
        case paInvalidChannelCount:
        case paInvalidSampleRate:
        case paSampleFormatNotSupported:
            return WaveResult::badFormat;
        default:
            return WaveResult::deviceError;
    }
}

}  // namespace

PortAudioWaveIn::PortAudioWaveIn(bool driverMessages) : driverMessages_(driverMessages) {
    showAlsaMessages(driverMessages_);
    // Starting PortAudio probes every sound system and device, which is
    // where the libraries talk most.
    QuietStandardError quiet(driverMessages_);
    initialised_ = Pa_Initialize() == paNoError;
    if (!initialised_) return;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex device = 0; device < count; ++device) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        if (info != nullptr && info->maxInputChannels > 0) inputs_.push_back(device);
    }
}

PortAudioWaveIn::~PortAudioWaveIn() {
    close();
    if (initialised_ && !abandonedOne_) {
        QuietStandardError quiet(driverMessages_);
        Pa_Terminate();
    }
}

int PortAudioWaveIn::deviceCount() { return static_cast<int>(inputs_.size()); }

std::string PortAudioWaveIn::deviceName(int device) {
    if (device < 0 || device >= deviceCount()) return {};
    const PaDeviceInfo* info = Pa_GetDeviceInfo(inputs_[static_cast<std::size_t>(device)]);
    return info != nullptr && info->name != nullptr ? info->name : "";
}

std::string PortAudioWaveIn::openedFormat() {
    if (stream_ == nullptr) return {};
    std::string text = std::to_string(std::lround(streamRate_)) + " frames/s, " + std::to_string(streamChannels_) +
                       (streamChannels_ == 1 ? " channel" : " channels");
    if (stream_->converter) text += ", converted";
    return text;
}

WaveResult PortAudioWaveIn::open(int device, const WaveFormat& format, std::uint32_t framesPerBuffer,
                                 WaveCompletion completion, void* context) {
    if (stream_ != nullptr) return WaveResult::busy;
    if (!initialised_ || inputs_.empty()) return WaveResult::noDevice;
    if (format.bitsPerSample != 16 || format.channels != 2 || framesPerBuffer == 0) return WaveResult::badFormat;
    PaDeviceIndex index = paNoDevice;
    if (device == defaultDevice) {
        index = Pa_GetDefaultInputDevice();
        // PortAudio may name as default a device that has no input.
        if (std::find(inputs_.begin(), inputs_.end(), index) == inputs_.end()) index = inputs_.front();
    } else if (device >= 0 && device < deviceCount()) {
        index = inputs_[static_cast<std::size_t>(device)];
    }
    const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
    if (info == nullptr) return WaveResult::noDevice;

    StreamChoice choice;
    if (!chooseStream(index, *info, format, choice)) return WaveResult::badFormat;
    // The device delivers about one buffer's worth per callback, so that every
    // block goes on as soon as it is full.
    const auto streamFrames = static_cast<unsigned long>(std::ceil(framesPerBuffer * choice.rate / format.sampleRate));
    std::unique_ptr<RateConverter> converter;
    if (choice.converted) {
        converter = RateConverter::create(choice.rate, choice.channels, static_cast<std::uint32_t>(streamFrames));
        if (!converter) return WaveResult::badFormat;
    }

    PaStreamParameters parameters{};
    parameters.device = index;
    parameters.channelCount = choice.channels;
    parameters.sampleFormat = choice.sampleFormat;
    parameters.suggestedLatency = info->defaultLowInputLatency;
    {
        std::lock_guard lock(mutex_);
        buffers_.open(completion, context);
    }
    auto stream = std::make_unique<Stream>(*this);
    stream->converter = std::move(converter);
    const PaError error = Pa_OpenStream(&stream->handle, &parameters, nullptr, choice.rate, streamFrames, paClipOff,
                                        &PortAudioWaveIn::streamCallback, stream.get());
    if (error != paNoError) return fromPortAudio(error);
    stream_ = std::move(stream);
    streamRate_ = choice.rate;
    streamChannels_ = choice.channels;
    return WaveResult::ok;
}

WaveResult PortAudioWaveIn::prepare(WaveBuffer& buffer) {
    if (stream_ == nullptr) return WaveResult::notOpen;
    if (buffer.data == nullptr || buffer.bufferBytes == 0 || buffer.bufferBytes % 4 != 0) return WaveResult::badBuffer;
    buffer.prepared = true;
    return WaveResult::ok;
}

WaveResult PortAudioWaveIn::queue(WaveBuffer& buffer) {
    if (!buffer.prepared) return WaveResult::badBuffer;
    std::lock_guard lock(mutex_);
    return buffers_.add(buffer);
}

WaveResult PortAudioWaveIn::start() {
    if (stream_ == nullptr) return WaveResult::notOpen;
    if (Pa_IsStreamActive(stream_->handle) == 1) return WaveResult::ok;
    if (stream_->converter) stream_->converter->reset();
    return fromPortAudio(Pa_StartStream(stream_->handle));
}

WaveResult PortAudioWaveIn::stop() {
    if (stream_ == nullptr) return WaveResult::notOpen;
    if (Pa_IsStreamStopped(stream_->handle) != 0) return WaveResult::ok;
    // Aborted, not drained: a stopped capture wants no more audio. Even so
    // PortAudio waits for its thread, which a device that delivers nothing
    // more keeps inside the sound system's read for ever.
    if (abortWithin(stream_->handle, stopLimit)) return WaveResult::ok;
    abandonStream();
    return WaveResult::deviceError;
}

void PortAudioWaveIn::abandonStream() {
    stream_->abandoned = true;
    {
        std::lock_guard lock(mutex_);
        buffers_.close();
    }
    abandonedStreams().push_back(stream_.release());
    abandonedOne_ = true;
}

void PortAudioWaveIn::close() {
    if (stream_ == nullptr) return;
    stop();
    if (stream_ == nullptr) return;  // abandoned
    Pa_CloseStream(stream_->handle);
    stream_.reset();
    std::lock_guard lock(mutex_);
    buffers_.close();
}

std::uint64_t PortAudioWaveIn::droppedFrames() {
    std::lock_guard lock(mutex_);
    return buffers_.droppedFrames();
}

int PortAudioWaveIn::streamCallback(const void* input, void*, unsigned long frameCount, const PaStreamCallbackTimeInfo*,
                                    PaStreamCallbackFlags, void* self) {
    auto& stream = *static_cast<Stream*>(self);
    if (stream.abandoned) return paAbort;
    if (input == nullptr) return paContinue;
    if (stream.converter) {
        const auto converted =
            stream.converter->convert(static_cast<const float*>(input), static_cast<std::uint32_t>(frameCount));
        stream.device.take(converted.data(), converted.size() / 2);
    } else {
        stream.device.take(static_cast<const std::int16_t*>(input), frameCount);
    }
    return paContinue;
}

void PortAudioWaveIn::take(const std::int16_t* frames, std::size_t frameCount) {
    std::lock_guard lock(mutex_);
    buffers_.fill(reinterpret_cast<const std::uint8_t*>(frames), frameCount * 4);
}

}  // namespace ditdahl
