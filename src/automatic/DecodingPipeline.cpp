#include "automatic/DecodingPipeline.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "automatic/BufferedLevels.h"
#include "automatic/LikelihoodLevels.h"
#include "automatic/ReceiverTiming.h"

namespace ditdahl::automatic {
namespace {
// The matched filter follows the dot length once it is this far off.
constexpr double retuneRatio = 1.2;
// After this many durations with the gate closed, the speed is searched for
// afresh.
constexpr int refitClosedDurations = 64;
constexpr double never = std::numeric_limits<double>::max();

// A mark clear of the noise: each of its steps this much likelier under the
// tone than under noise alone (natural log; a tone 9 dB under the noise in
// 2500 Hz gives about 1.3, noise that passes for a mark a fifth of that).
constexpr double clearStepEvidence = 1.0;

double lagForDot(double dotMs) { return std::clamp(3.0 * dotMs, 250.0, 450.0); }
}  // namespace

DecodingPipeline::DecodingPipeline(const MorseTable& table, ReceiverListener& listener)
    : listener_(listener), words_(table), release_(listener) {
    levels_.followLatestMarks();
}

void DecodingPipeline::begin(const SpeedChoice& choice, std::int64_t firstStep, std::optional<double> writtenUntilMs) {
    gate_.reset();
    forgetLikelihoodGate();
    release_.forgetShut();
    const Durations& d = choice.found;
    std::size_t m = 0, g = 0;
    while (m < d.marks.size() || g < d.gaps.size()) {
        if (m < d.marks.size()) gate_.add(d.marks[m++], true, choice.dotMs);
        if (g < d.gaps.size()) gate_.add(d.gaps[g++], false, choice.dotMs);
    }
    stepIndex_ = firstStep;
    speed_.reset(choice.dotMs);
    const double dot = choice.dotMs;
    const auto start = static_cast<double>(stepIndex_);
    filterSteps_ = stepsForDot(dot);
    filter_.setLength(filterSteps_);
    filter_.clear();
    refined_.clear();
    levels_.reset(stepSamples * filterSteps_);
    thresholds_.reset(start);
    thresholds_.setMinimumSteps(glitchDots * dot / stepMs);
    likelihood_.reset(start);
    likelihood_.assumePhaseReference(choice.phase);
    likelihood_.setDotSteps(dot / stepMs);
    likelihood_.setLagSteps(decodingLagSteps(dot));
    words_.start(start, writtenUntilMs, lagForDot(dot));
    words_.learnGaps(d.gaps, dot);
    closedDurations_ = 0;
    release_.startDecoding();
}

void DecodingPipeline::catchUp(const std::vector<std::complex<double>>& steps) {
    const std::vector<double> powersDb = matchedPowersDb(steps, filterSteps_);
    release_.setCatchingUp(true);
    BufferedLevels pastLevels(levels_, powersDb);
    words_.rereadLearntAudio(true);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        pastLevels.renewAt(i);
        advance(steps[i], false);
    }
    words_.rereadLearntAudio(false);
    pastLevels.finish();
    release_.setCatchingUp(false);
    // Shut on the buffer's durations, the gate may still open on the next
    // few seconds': the buffer's text waits for it as after a brief shut.
    if (!gate_.undecided() && !gate_.open()) release_.gateShut(nowMs());
    write({});
}

DecodingPipeline::Progress DecodingPipeline::step(std::complex<double> z) { return advance(z, true); }

DecodingPipeline::Progress DecodingPipeline::advance(std::complex<double> z, bool live) {
    refined_.pushStep(stepIndex_, z);
    const double power = filter_.push(z);
    const auto t = static_cast<double>(stepIndex_++);
    // While catching up, the levels are those around each buffered step.
    if (live) levels_.push(power);
    if (levels_.usable()) {
        thresholds_.setThresholds(levels_.onDb(), levels_.offDb());
    } else {
        thresholds_.setThresholds(never, never);
    }
    runs_.clear();
    thresholds_.push(t, Levels::toDb(power), runs_);
    for (const KeyRun& run : runs_) takeThresholdRun(run);
    applyLikelihoodLevels(levels_, filterSteps_, likelihood_);
    runs_.clear();
    likelihood_.push(z, runs_);
    for (const KeyRun& run : runs_) {
        words_.take(run, speed_.dotMs());
        judgeLikelihood(run);
        // While the gate is open the threshold decision's durations follow
        // the speed; a sender who sped up so far that they fuse shuts it.
        const double lengthMs = run.length() * stepMs;
        if (!gate_.open() && (run.mark || lengthMs < pauseDots * speed_.dotMs()) && speed_.decided(lengthMs, run.mark))
            speedChanged();
    }
    if (live && closedDurations_ >= refitClosedDurations) return Progress::speedInDoubt;
    const double dot = speed_.dotMs();
    if (!thresholds_.keyDown() && refined_.inWord() && (t - thresholds_.runStart()) * stepMs > pauseDots * dot)
        endJudgedWord();
    std::string decided;
    // The likelihood decision has decided everything up to its lag ago: a
    // gap that long is a word gap, whatever follows.
    if (!likelihood_.keyDown() && words_.inWord() &&
        (likelihood_.decidedTo() - likelihood_.runStart()) * stepMs > words_.wordEndDots() * dot)
        words_.endWord(t * stepMs, decided);
    words_.commit(t * stepMs, decided);
    write(decided);
    return Progress::decoding;
}

void DecodingPipeline::takeThresholdRun(const KeyRun& run) {
    // Gaps are measured between the refined edges of the marks around them.
    if (!run.mark) return;
    passed_.clear();
    refined_.takeMark(run, filterSteps_, passed_);
    judgePassed();
}

void DecodingPipeline::endJudgedWord() {
    passed_.clear();
    refined_.endWord(filterSteps_, passed_);
    judgePassed();
}

void DecodingPipeline::judgePassed() {
    for (const JudgedDuration& d : passed_) judge(d.lengthMs, d.mark);
}

void DecodingPipeline::judge(double lengthMs, bool mark) {
    const bool wasOpen = gate_.open();
    gate_.add(lengthMs, mark, speed_.dotMs());
    if (wasOpen && !gate_.open()) {
        release_.gateClosed(nowMs());
        // The likelihood decision's durations may carry on where these
        // stray near the noise, but only on what it judges from now on: the
        // transmission may have ended, or another one at another speed begun.
        forgetLikelihoodGate();
    }
    closedDurations_ = gate_.open() ? 0 : closedDurations_ + 1;
    if (speed_.track(lengthMs, mark)) {
        speedChanged();
    } else {
        followSpeed();
    }
}

void DecodingPipeline::forgetLikelihoodGate() {
    likelihoodGate_.reset();
    likelihoodOpened_ = false;
    likelihoodGapMs_.reset();
}

void DecodingPipeline::judgeLikelihood(const KeyRun& run) {
    const double lengthMs = run.length() * stepMs;
    if (!run.mark) {
        if (likelihoodGapMs_) *likelihoodGapMs_ += lengthMs;
        return;
    }
    // Near the noise the decision's priors draw its durations into the
    // classes at whatever speed it follows: only marks well clear of the
    // noise are judged, and the gaps between two of them.
    if (run.evidence < clearStepEvidence * run.length()) {
        likelihoodGapMs_.reset();
        return;
    }
    const bool wasOpen = likelihoodGate_.open();
    if (likelihoodGapMs_) likelihoodGate_.add(*likelihoodGapMs_, false, speed_.dotMs());
    likelihoodGate_.add(lengthMs, true, speed_.dotMs());
    likelihoodGapMs_ = 0.0;
    if (!wasOpen && likelihoodGate_.open() && !gate_.open()) likelihoodOpened_ = true;
    if (!likelihoodGate_.open()) likelihoodOpened_ = false;
}

void DecodingPipeline::speedChanged() {
    followSpeed();
    // The durations that shut the gate were judged at the old speed: in a
    // transmission copied until a moment ago, the gate judges afresh, and
    // what was held meanwhile is written if it opens.
    if (!gate_.open() && release_.shutLately(nowMs())) {
        gate_.reset();
        closedDurations_ = 0;
    }
}

void DecodingPipeline::followSpeed() {
    const double dot = speed_.dotMs();
    const double ratio = dot / (filterSteps_ * stepMs);
    if (ratio > retuneRatio || ratio < 1.0 / retuneRatio) {
        const int length = stepsForDot(dot);
        if (length != filterSteps_) {
            levels_.rescale(static_cast<double>(length) / filterSteps_);
            filter_.setLength(length);
            filterSteps_ = length;
        }
    }
    words_.followDot(dot, lagForDot(dot));
    thresholds_.setMinimumSteps(glitchDots * dot / stepMs);
    likelihood_.setDotSteps(dot / stepMs);
    likelihood_.setLagSteps(decodingLagSteps(dot));
    reportSpeed();
}

void DecodingPipeline::abandon() {
    release_.forgetHeld();
    release_.forgetShut();
    closedDurations_ = 0;
}

void DecodingPipeline::stop() {
    endJudgedWord();
    std::string decided;
    words_.endWord(nowMs(), decided);
    words_.flush(decided);
    write(decided);
    release_.writeHeard({gateOpen(), gate_.undecided() && !likelihoodOpened_});
    release_.forgetShut();
    words_.forget();
    gate_.reset();
    forgetLikelihoodGate();
}

void DecodingPipeline::finish() {
    // The audio ends while the tone is still followed: what was held while
    // it did not stand out is the end of its transmission.
    release_.setToneStands(true);
    const auto t = static_cast<double>(stepIndex_);
    if (thresholds_.keyDown()) takeThresholdRun({true, thresholds_.runStart(), t});
    endJudgedWord();
    runs_.clear();
    likelihood_.flush(runs_);
    for (const KeyRun& run : runs_) words_.take(run, speed_.dotMs());
    // The search ends its last gap where the audio ends: a mark cut off by
    // the end counts only once it is as long as the shortest it would take.
    if (likelihood_.keyDown() && (t - likelihood_.runStart()) * stepMs >= glitchDots * speed_.dotMs())
        words_.take({true, likelihood_.runStart(), t}, speed_.dotMs());
    std::string decided;
    words_.endWord(t * stepMs, decided);
    words_.flush(decided);
    write(decided);
    if (gate_.undecided()) release_.forgetHeld();
}

void DecodingPipeline::write(const std::string& decided) {
    release_.write(decided, {gateOpen(), gate_.undecided() && !likelihoodOpened_}, nowMs(), words_.lastReadMs(),
                   words_.lastDecidedMs());
}

void DecodingPipeline::reportSpeed() {
    const double wpm = 1200.0 / speed_.dotMs();
    if (std::abs(wpm - reportedWpm_) < 0.5) return;
    reportedWpm_ = wpm;
    listener_.speed(wpm, speed_.dotMs());
}

}  // namespace ditdahl::automatic
