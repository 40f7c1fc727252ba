// The automatic receiver: finds the Morse tone by itself, measures the
// sender's speed, and decodes with a sequence search instead of fixed timing
// windows. Fed blocks of 16-bit stereo frames at 6000 frames/s (left channel
// used), of any length; causal, with a character written within about a
// second of its end. Once it has locked on a tone and the buffered audio
// tells the speed, it first decodes the last 15 s of audio, so the start of
// a transmission is not lost. The decoder reads the marks and gaps that a
// likelihood search over the raw mixer output finds; the quality gate and
// the speed follow the durations of a threshold decision, whose mark edges
// are refined on the raw output. Its text, speed and tone go to a listener. Runs on the thread that feeds it (the
// capture thread, or a command-line tool's main thread); not thread-safe.
#pragma once

#include <complex>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automatic/EdgeRefiner.h"
#include "automatic/Envelope.h"
#include "automatic/KeyEdges.h"
#include "automatic/Levels.h"
#include "automatic/QualityGate.h"
#include "automatic/SequenceDecoder.h"
#include "automatic/SoftEdges.h"
#include "automatic/ToneSearch.h"
#include "base/CaptureFormat.h"
#include "base/MorseTable.h"

namespace ditdahl::automatic {

class BestListener {
public:
    virtual ~BestListener() = default;
    // Decoded characters as the table's expansion gives them ("SOS", "CQ",
    // "SK" for the run-together signals), and single blanks between words.
    virtual void text(std::string_view decoded) = 0;
    // The sender's speed, whenever its estimate changes.
    virtual void speed(double wpm, double dotMs) = 0;
    // The followed tone in Hz, whenever it is locked or moves by 1 Hz or
    // more; 0 when it is let go.
    virtual void tone(double toneHz) = 0;
};

class BestReceiver {
public:
    static constexpr int sampleRate = captureFramesPerSecond;

    BestReceiver(const MorseTable& table, BestListener& listener);

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
    void takeChunk(const double* samples, std::size_t count);
    bool tryStart();
    void release();
    void restart();
    // The dot length that the buffered steps show; 0 while they hold too few
    // marks or fit them too poorly, unless mustChoose.
    double chooseDotMs(const std::vector<std::complex<double>>& steps, bool mustChoose);
    void startPipeline();
    void step(std::complex<double> z, bool live);
    // The threshold decision's runs: their durations are what the quality
    // gate judges and the speed is tracked from.
    void takeRun(const KeyRun& run);
    // Judges the held mark, its end refined up to latest (raw steps), and
    // the gap after it when a next mark starts at nextStart.
    void passHeldMark(double latest, double nextStart);
    void endJudgedWord();
    // The likelihood decision's runs: what the decoder reads.
    void takeSoftRun(const KeyRun& run);
    void endWord(double timeMs, std::string& decided);
    // The word so far is one or two elements, each a letter of its own:
    // noise if a long silence lies on one side.
    bool strayElements() const;
    void setSoftLevels();
    void judge(double lengthMs, bool mark);
    void trackSpeed(double lengthMs, bool mark);
    void setFilterLength();
    void writeDecided(const std::string& decided);
    void reportTone();
    void reportSpeed();

    BestListener& listener_;
    ToneSearch search_;
    Downmixer mixer_;
    MatchedFilter filter_;
    EdgeRefiner refiner_;
    Levels levels_;
    KeyEdges edges_;
    SoftEdges soft_;
    SequenceDecoder decoder_;
    QualityGate gate_;

    std::vector<double> history_;  // the last 15 s of samples, a ring
    std::int64_t samples_ = 0;     // consumed since the start
    std::vector<std::complex<double>> steps_;
    std::vector<KeyRun> runs_;
    std::vector<KeyRun> softRuns_;
    std::int64_t stepIndex_ = 0;  // of the next 4 ms step the mixer completes
    // Locked, but the buffer holds too little to tell the speed: decoding
    // starts once it does.
    bool running_ = false;
    std::int64_t lockedAt_ = 0;
    std::string held_;              // decided while the gate could not yet judge
    bool catchingUp_ = false;       // decoding the buffered audio
    int closedDurations_ = 0;       // durations judged since the gate was last open
    double writtenUntilMs_ = -1.0;  // decoder time of the last text written

    double toneHintHz_ = 0.0;
    double speedHintWpm_ = 0.0;
    double dotMs_ = 60.0;
    double reportedWpm_ = 0.0;
    double reportedToneHz_ = 0.0;
    int filterSteps_ = 15;
    bool sawMark_ = false;     // a judged mark since the lock or the last pause
    int marksInWord_ = 0;      // marks decoded since the last pause
    bool quietBefore_ = true;  // a long silence came before this word
    bool joined_ = false;      // two of its elements were within one letter
    double softFrom_ = 0.0;    // the step where the likelihood decision started
    double shutAtMs_ = -1.0;   // when the gate, open before, shut; < 0: not so
    // The last mark, held until the next one (or a pause) bounds its end;
    // raw 4 ms steps as the key decision found them.
    bool holding_ = false;
    KeyRun heldMark_;
    double heldEarliest_ = 0.0;
    double heldStart_ = 0.0;  // refined
    bool lastWasBlank_ = true;
    std::vector<double> recentMarks_;
    std::vector<double> recentGaps_;
    int sinceRefit_ = 0;
};

}  // namespace ditdahl::automatic
