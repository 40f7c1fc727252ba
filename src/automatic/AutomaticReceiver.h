// The automatic receiver: finds the Morse tone by itself, measures the
// sender's speed, and decodes with a sequence search instead of fixed timing
// windows. Fed blocks of 16-bit stereo frames at 6000 frames/s (left channel
// used), of any length; causal, with a character written within about a
// second of its end. Once it has locked on a tone and the buffered audio
// tells the speed, it first decodes the last 15 s of audio, so the start of
// a transmission is not lost; steady carriers near the tone are notched out
// of what it decodes. Its text, speed and tone go to a listener.
// Runs on the thread that feeds it (the capture thread, or a command-line
// tool's main thread); not thread-safe.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "automatic/CarrierNotches.h"
#include "automatic/DecodingPipeline.h"
#include "automatic/Envelope.h"
#include "automatic/ReceiverListener.h"
#include "automatic/ToneSearch.h"
#include "automatic/TrackingDownmixer.h"
#include "automatic/WrittenByTone.h"
#include "base/CaptureFormat.h"
#include "base/MorseTable.h"

namespace ditdahl::automatic {

class AutomaticReceiver {
public:
    static constexpr int sampleRate = captureFramesPerSecond;

    AutomaticReceiver(const MorseTable& table, ReceiverListener& listener);

    // Hints: the tone the operator selected (narrows the search) and the
    // speed expected (tried first); 0 for none.
    void setToneHint(double toneHz);
    void setSpeedHint(double wpm);

    void pushStereo(const std::int16_t* interleaved, std::size_t frames);
    void pushMono(const double* samples, std::size_t count);
    // The audio has ended: decides and writes whatever is still undecided.
    void finish();

    // Time of the audio consumed so far, in ms.
    double nowMs() const;

private:
    enum class Stage {
        searchingTone,
        // Locked, but the buffer holds too little to tell the speed yet.
        measuringSpeed,
        decoding,
    };

    void takeChunk(const double* samples, std::size_t count);
    // The buffered audio from this sample on, notched and mixed down at the
    // tone, in 4 ms steps.
    std::vector<std::complex<double>> mixBuffered(std::int64_t first, double toneHz);
    // Searches the buffered audio for the speed; decodes it once found.
    void tryStart();
    // The search leaves a tone whose speed it was measuring, moving on to
    // another or letting it go: decodes the over that ended there.
    void readShortOver(bool movedOn);
    void letGo();
    void measureAgain();
    void reportTone();
    // Takes up which tone the text written lately came from.
    void noteWritten() { written_.wrote(decodedToneHz_, pipeline_.writtenUntilMs(), pipeline_.dotMs()); }

    ReceiverListener& listener_;
    ToneSearch search_;
    CarrierNotches notches_;
    std::vector<double> notched_;
    TrackingDownmixer mixer_;
    DecodingPipeline pipeline_;
    WrittenByTone written_;
    double decodedToneHz_ = 0.0;  // the tone the pipeline decodes

    std::vector<double> history_;  // the last 15 s of samples, a ring
    std::int64_t samples_ = 0;     // consumed since the start
    std::vector<std::complex<double>> steps_;
    Stage stage_ = Stage::searchingTone;
    std::int64_t lockedAt_ = 0;    // samples consumed when the tone was locked
    double measuredToneHz_ = 0.0;  // the tone locked, while its speed is measured

    double toneHintHz_ = 0.0;
    double speedHintWpm_ = 0.0;
    double reportedToneHz_ = 0.0;
};

}  // namespace ditdahl::automatic
