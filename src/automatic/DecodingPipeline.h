// Decodes the followed tone's 4 ms steps once its speed is known. Two key
// decisions run side by side: a threshold decision on the dot-long sum,
// whose marks (edges refined on the raw steps) the quality gate judges and
// the speed is tracked from, and a likelihood decision over the raw steps,
// whose marks and gaps the sequence decoder reads (and a second gate
// judges, where they stand clear of the noise). Text goes out through the
// gates, the speed to the listener. Runs on whichever thread feeds the
// automatic receiver.
#pragma once

#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "automatic/Envelope.h"
#include "automatic/KeyEdges.h"
#include "automatic/Levels.h"
#include "automatic/LikelihoodEdges.h"
#include "automatic/QualityGate.h"
#include "automatic/ReceiverListener.h"
#include "automatic/RefinedMarks.h"
#include "automatic/SpeedSearch.h"
#include "automatic/SpeedTracker.h"
#include "automatic/TextRelease.h"
#include "automatic/WordAssembler.h"
#include "base/MorseTable.h"

namespace ditdahl::automatic {

class DecodingPipeline {
public:
    enum class Progress {
        decoding,
        // The gate has stayed shut so long that the speed found may have
        // been noise: it must be searched for afresh.
        speedInDoubt,
    };

    DecodingPipeline(const MorseTable& table, ReceiverListener& listener);

    // Starts at the given step with the speed found; the gate judges the
    // durations it was found on at once, so that the first characters of a
    // transmission are not held back. Text that ends at or before
    // writtenUntilMs was written before: it is decided again, not written.
    void begin(const SpeedChoice& choice, std::int64_t firstStep, std::optional<double> writtenUntilMs);
    // Decodes buffered steps, with levels from around each step, and judges
    // their text by the gate as it stands after all of them: the noise
    // before a transmission must not silence its first words.
    void catchUp(const std::vector<std::complex<double>>& steps);
    Progress step(std::complex<double> z);
    // The speed is searched for afresh: what was held back comes again.
    void abandon();
    // The tone was let go: decides what is pending, then forgets it.
    void stop();
    // The audio has ended: decides and writes whatever is still undecided.
    void finish();
    void reportSpeed();
    // The decoder's time of the last text written; none before any.
    std::optional<double> writtenUntilMs() const { return release_.writtenUntilMs(); }
    // Whether the followed tone stands out now (see ToneSearch).
    void setToneStands(bool stands) { release_.setToneStands(stands); }

    double nowMs() const { return static_cast<double>(stepIndex_) * stepMs; }
    // The dot length followed.
    double dotMs() const { return speed_.dotMs(); }

private:
    Progress advance(std::complex<double> z, bool live);
    void takeThresholdRun(const KeyRun& run);
    void endJudgedWord();
    void judgePassed();
    void judge(double lengthMs, bool mark);
    void judgeLikelihood(const KeyRun& run);
    void forgetLikelihoodGate();
    bool gateOpen() const { return gate_.open() || likelihoodOpened_; }
    // Every stage follows the tracked speed.
    void followSpeed();
    void speedChanged();
    void write(const std::string& decided);

    ReceiverListener& listener_;
    MatchedFilter filter_;
    Levels levels_;
    KeyEdges thresholds_;
    RefinedMarks refined_;
    LikelihoodEdges likelihood_;
    WordAssembler words_;
    QualityGate gate_;
    // The likelihood decision's durations judged too: through a fast fade,
    // or near the noise at a fast speed, the threshold decision's stray
    // while the likelihood decision's still fit. Its gate judges afresh each
    // time the other shuts (the threshold decision's durations leave the
    // classes sooner when a transmission ends), and counts from when it
    // opens with the other one shut until either shuts.
    QualityGate likelihoodGate_{QualityGate::likelihoodLimits};
    bool likelihoodOpened_ = false;
    // The gap since the last mark the likelihood gate judged, while it
    // follows one.
    std::optional<double> likelihoodGapMs_;
    SpeedTracker speed_;
    TextRelease release_;

    std::int64_t stepIndex_ = 0;  // of the next step
    int filterSteps_ = 15;
    int closedDurations_ = 0;  // durations judged since the gate was last open
    double reportedWpm_ = 0.0;
    std::vector<KeyRun> runs_;
    std::vector<JudgedDuration> passed_;
};

}  // namespace ditdahl::automatic
