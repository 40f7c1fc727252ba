// The band decoder: copies every Morse signal between 200 and 1600 Hz at
// once. One spectrum, shared by all, finds each signal and follows its tone
// (SignalTracker); each signal gets a channel of its own with its own
// filter, speed, levels and decoder (BandChannel), started on the audio of
// the few seconds before the signal was found, so that the start of a
// transmission is not lost, and ended after 10 s of silence. Fed blocks of
// 16-bit stereo frames at 6000 frames/s (left channel used), of any length;
// the results go to a listener. Runs on the thread that feeds it; not
// thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "band/BandChannel.h"
#include "band/BandListener.h"
#include "band/BandSpectrum.h"
#include "band/SignalTracker.h"
#include "base/CaptureFormat.h"
#include "base/MorseTable.h"

namespace ditdahl::band {

class BandDecoder {
public:
    static constexpr int sampleRate = captureFramesPerSecond;
    static constexpr std::size_t mostChannels = 24;

    BandDecoder(const MorseTable& table, BandListener& listener);

    void pushStereo(const std::int16_t* interleaved, std::size_t frames);
    void pushMono(const double* samples, std::size_t count);
    // The audio has ended: every channel decides what is left, and ends.
    void finish();

    // Time of the audio consumed so far, in ms.
    double nowMs() const { return static_cast<double>(samples_) * 1000.0 / sampleRate; }

private:
    struct Open {
        int trackId;
        std::unique_ptr<BandChannel> channel;
    };

    void takeChunk(const double* samples, std::size_t count);
    void followTracks();
    void open(const Track& track);
    void close(Open& open, const Track* track);
    double hopMs(int hop) const;

    const MorseTable& table_;
    BandListener& listener_;
    BandSpectrum spectrum_;
    SignalTracker tracker_;
    std::vector<Open> channels_;
    std::vector<double> history_;  // the last 15 s of samples, a ring
    std::vector<double> replay_;
    std::int64_t samples_ = 0;
};

}  // namespace ditdahl::band
