#include "automatic/WordAssembler.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "automatic/Envelope.h"
#include "automatic/ReceiverTiming.h"

namespace ditdahl::automatic {
namespace {
// Gaps shorter than this many dots join elements into one letter.
constexpr double letterGapDots = 2.0;
// A fade moves a station's level by this much a second and more (a 25 dB
// fade in 4 s three times as fast at its steepest); a crash out of phase
// next to a mark is fainter than that allows.
constexpr double alikeFadeDbPerSecond = 6.0;

// A mark's strength over the one before, as far as the fade may have moved
// the level over the steps between them allows, taken back towards 1: a
// mark half as strong after a word gap on a fade's slope is the sender's.
// A mark's strength is its mean: the steps between are counted from the
// middle of one to the middle of the other (a dash on a steep slope ends
// fainter than it is on the whole).
double alikeThroughFade(double ratio, double stepsBetween) {
    const double allowed = std::pow(10.0, alikeFadeDbPerSecond * stepsBetween * stepMs / 20000.0);
    return ratio < 1.0 ? std::min(1.0, ratio * allowed) : ratio;
}
double middle(const KeyRun& run) { return 0.5 * (run.start + run.end); }
double amplitude(const KeyRun& run) { return run.level > 0.0 ? run.strength * run.level : run.strength; }
}  // namespace

void WordAssembler::start(double step, std::optional<double> writtenUntilMs, double lagMs) {
    startStep_ = step;
    startReading();
    decoder_.silenceUntil(writtenUntilMs.value_or(-std::numeric_limits<double>::infinity()));
    decoder_.setLagMs(lagMs);
    gaps_.reset();
    decoder_.setGapClasses(gaps_.letterDots(), gaps_.wordDots());
    learning_ = true;
    firstKeptMarkMs_.reset();
    kept_.clear();
    readFromKept_.clear();
}

void WordAssembler::startReading() {
    decoder_.reset();
    marksInWord_ = 0;
    quietBefore_ = true;
    joined_ = false;
    lastAmplitude_ = 0.0;
    senderAmplitude_ = 0.0;
    faintSincePause_ = false;
    lastClear_ = false;
}

void WordAssembler::take(const KeyRun& run, double dotMs) {
    if (learning_) {
        keep(run, dotMs);
    } else {
        read(run, dotMs);
    }
}

void WordAssembler::keep(const KeyRun& run, double dotMs) {
    kept_.push_back({run, dotMs});
    if (run.mark && !firstKeptMarkMs_) firstKeptMarkMs_ = run.start * stepMs;
    // The same gaps as reading them learns from: all but one that began
    // before the decoding did.
    if (!run.mark && run.start > startStep_ && !rereading_) gaps_.take(run.length() * stepMs / dotMs);
    if (gaps_.learnt()) readKept();
}

void WordAssembler::readKept() {
    learning_ = false;
    startReading();
    decoder_.setGapClasses(gaps_.letterDots(), gaps_.wordDots());
    for (const KeptRun& k : kept_) {
        const KeyRun& run = k.run;
        // Where reading them live would have ended the word: once the gap
        // was a word end long.
        const double wordEndMs = wordEndDots() * k.dotMs;
        if (!run.mark && inWord() && run.length() * stepMs > wordEndMs)
            endWord(run.start * stepMs + wordEndMs, readFromKept_);
        read(run, k.dotMs);
        if (!strayElements()) decoder_.commit(run.end * stepMs, readFromKept_);
    }
    kept_.clear();
}

void WordAssembler::read(const KeyRun& run, double dotMs) {
    if (run.mark) {
        readMark(run, dotMs);
        return;
    }
    const double lengthMs = run.length() * stepMs;
    const bool learn = !learning_ && kept_.empty() && !rereading_;
    if (marksInWord_ > 0) {
        if (learn) learnGap(lengthMs / dotMs);
        decoder_.gap(lengthMs);
        joined_ = joined_ || lengthMs < letterGapDots * dotMs;
    } else {
        // The first gap began before the decoding started: its length is
        // unknown.
        if (learn && run.start > startStep_) learnGap(lengthMs / dotMs);
        quietBefore_ = lengthMs > pauseDots * dotMs || run.start <= startStep_;
        joined_ = false;
    }
}

void WordAssembler::readMark(const KeyRun& run, double dotMs) {
    const double lengthMs = run.length() * stepMs;
    // Against the mark before: through a fade, neighbouring marks are
    // alike, a crash between them is not.
    const bool neighbour = lastAmplitude_ > 0.0 && run.start - lastMarkEnd_ < pauseDots * dotMs / stepMs;
    const double strength =
        neighbour ? alikeThroughFade(amplitude(run) / lastAmplitude_, middle(run) - lastMarkMiddle_) : 1.0;
    decoder_.mark(lengthMs, dotMs, run.end * stepMs, shareOfSender(run, neighbour, strength), run.evidence);
    lastAmplitude_ = amplitude(run);
    lastMarkEnd_ = run.end;
    lastMarkMiddle_ = middle(run);
    // A mark at least half as strong as a clear one just before it is the
    // sender's too, however deep the fade has taken both, and needs only
    // half the evidence: near the noise a fast sender's dot carries
    // about what a clear mark needs, and falls short of it as often.
    const bool alike = neighbour && lastClear_ && strength >= alikeShare;
    const double evidenceNeeded = clearMarkEvidence * std::min(1.0, dotMs / clearEvidenceDotMs);
    // A mark with many times the evidence a clear one needs is a tone,
    // however faint against the level learnt at a fade's peak (only a
    // crash out of phase is both, and it is shorter than a dot): the
    // sender's, if it is as strong as the mark before it.
    const bool toneBeyondDoubt = neighbour && strength >= alikeShare &&
                                 run.evidence >= toneEvidenceFactor * evidenceNeeded &&
                                 lengthMs >= crashShorterThanDots * dotMs;
    const bool clear = run.evidence >= (alike ? alikeEvidenceShare : 1.0) * evidenceNeeded &&
                       (run.strength >= clearMarkStrength || alike || toneBeyondDoubt);
    allClear_ = (marksInWord_ == 0 || allClear_) && clear;
    anyEvident_ = (marksInWord_ > 0 && anyEvident_) || run.evidence >= evidenceNeeded;
    allEvident_ = (marksInWord_ == 0 || allEvident_) && run.evidence >= evidenceNeeded;
    anyClear_ = (marksInWord_ > 0 && anyClear_) || clear;
    coherentMarks_ = (marksInWord_ > 0 ? coherentMarks_ : 0) + (run.coherence >= coherentMark ? 1 : 0);
    strengthSum_ = (marksInWord_ > 0 ? strengthSum_ : 0.0) + run.strength;
    lastClear_ = clear;
    allFaint_ = (marksInWord_ == 0 || allFaint_) && run.strength < faintMarkStrength && !alike;
    allShort_ = (marksInWord_ == 0 || allShort_) && lengthMs < crashShorterThanDots * dotMs;
    ++marksInWord_;
}

double WordAssembler::shareOfSender(const KeyRun& run, bool neighbour, double strength) {
    const bool againstSender = (lastAmplitude_ > 0.0 && !neighbour) || faintSincePause_;
    const double share =
        againstSender ? alikeThroughFade(amplitude(run) / senderAmplitude_, middle(run) - senderMarkMiddle_) : strength;
    faintSincePause_ = againstSender && share < alikeShare;
    if (!faintSincePause_) {
        senderAmplitude_ = amplitude(run);
        senderMarkMiddle_ = middle(run);
    }
    return share;
}

void WordAssembler::learnGaps(const std::vector<double>& gapsMs, double dotMs) {
    for (double ms : gapsMs) learnGap(ms / dotMs);
    if (gaps_.learnt()) readKept();
}

void WordAssembler::learnGap(double dots) {
    gaps_.take(dots);
    decoder_.setGapClasses(gaps_.letterDots(), gaps_.wordDots());
}

double WordAssembler::wordEndDots() const {
    // Stray elements without a long silence before them need one after them.
    // A sender who may have slowed down has not ended the word yet.
    const double wordEnd = gaps_.wordEndDots() * std::max(1.0, decoder_.slowestLikelySpeedFactor());
    return strayElements() && !quietBefore_ ? std::max(pauseDots, 1.5 * wordEnd) : wordEnd;
}

void WordAssembler::endWord(double timeMs, std::string& decided) {
    if (learning_) {
        readKept();
        decided += readFromKept_;
        readFromKept_.clear();
    }
    if (strayElements()) {
        // One or two elements, each on its own, with a long silence on one
        // side and a word gap on the other: blips of noise far likelier than
        // an "E" or "T" sent alone (in a text, one-element words stand
        // between word gaps).
        decoder_.dropWord();
    } else {
        decoder_.pause(timeMs);
        decoder_.commitWord(timeMs, decided);
    }
    marksInWord_ = 0;
}

void WordAssembler::commit(double nowMs, std::string& decided) {
    if (learning_ && firstKeptMarkMs_ && nowMs - *firstKeptMarkMs_ > longestKeptMs) readKept();
    if (learning_) return;
    decided += readFromKept_;
    readFromKept_.clear();
    if (!strayElements()) decoder_.commit(nowMs, decided);
}

}  // namespace ditdahl::automatic
