#include "automatic/BestReceiver.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "automatic/SpeedFit.h"

namespace ditdahl::automatic {
namespace {
constexpr std::int64_t historySamples = 15 * BestReceiver::sampleRate;
// A gap this many dots long ends the word without waiting for the next mark.
constexpr double pauseDots = 9.0;
// The glitch filter ignores key changes shorter than this part of a dot.
constexpr double glitchDots = 0.3;
// Moving class centres: each well-fitting duration pulls the dot length by
// this part of its deviation; every refitCount durations of each kind the
// recent ones are fitted afresh.
constexpr double trackWeight = 0.05;
constexpr double trackDeviation = 0.25;
constexpr std::size_t refitCount = 48;
// The matched filter follows the dot length once it is this far off.
constexpr double retuneRatio = 1.2;
constexpr double candidateDotsMs[] = {24.0, 34.0, 48.0, 68.0, 96.0, 136.0};
constexpr double defaultDotMs = 60.0;
// The speed is fitted once the buffer holds this many marks, or once the
// tone has been locked this long (see longestWait below).
constexpr std::size_t fewestMarks = 8;
// ... and fits them this well (mean squared log deviation): Morse in noise
// down to -9 dB fits within a few hundredths, noise keyed through a short
// filter around 0.15.
constexpr double trustedFitCost = 0.08;
constexpr std::int64_t longestWait = 8 * BestReceiver::sampleRate;
constexpr std::int64_t retrySamples = 24 * ToneSearch::hopSamples;
// After this many durations with the gate closed, the speed is fitted
// afresh from the buffer: the first fit may have been made on noise.
constexpr int refitClosedDurations = 64;
// Text decided while the gate, open before, has been shut for less than
// this is held back, and written if it opens again.
constexpr double briefShutMs = 8000.0;
// Text held while the gate cannot judge yet (the buffer's 15 s at 50 wpm).
constexpr std::size_t heldCapacity = 256;
constexpr double never = std::numeric_limits<double>::max();

// Gaps shorter than this many dots join elements into one letter.
constexpr double letterGapDots = 2.0;
// Half or twice the speed found is taken only when it fits this much better.
constexpr double switchRatio = 0.8;
// A gap this many dots long, decided, ends the word (letter gaps are 3).
constexpr double softPauseDots = 5.0;
// The likelihood decision holds a segment's end back this many dots.
constexpr double softLagDots = 3.0;

int stepsForDot(double dotMs) { return std::max(1, static_cast<int>(std::lround(dotMs / stepMs))); }

double lagForDot(double dotMs) { return std::clamp(5.0 * dotMs, 300.0, 700.0); }

void keepLast(std::vector<double>& values, double v) {
    values.push_back(v);
    if (values.size() > refitCount) values.erase(values.begin());
}

// While buffered audio is decoded, its levels come from 6 s around each
// step: that is all in the past already, and a transmission that began
// within the buffer gets the levels of the signal, not of the noise before.
// Marks must stand near those of the last 6 s, where the tone was found:
// earlier audio may hold only another signal's faint leakage.
constexpr double bufferedMarksWithinDb = 10.0;

class BufferedLevels {
public:
    // Renewed every `every` steps.
    BufferedLevels(Levels& levels, const std::vector<double>& powers, std::size_t every = Levels::renewSteps)
        : levels_(levels), powers_(powers), every_(every) {
        levels_.prime(powers.data(), powers.size());
        recentMarkDb_ = levels_.markDb();
    }
    // Renews the levels for this step when due.
    void renewAt(std::size_t step) {
        if (step % every_ != 0) return;
        const std::size_t span = Levels::historySteps;
        std::size_t first = step > span / 2 ? step - span / 2 : 0;
        const std::size_t last = std::min(powers_.size(), first + span);
        first = last > span ? last - span : 0;
        levels_.prime(powers_.data() + first, last - first);
        levels_.requireMarkAbove(recentMarkDb_ - bufferedMarksWithinDb);
    }
    // From here on the levels follow the last 6 s.
    void finish() {
        levels_.prime(powers_.data(), powers_.size());
        levels_.requireMarkAbove(-1e300);
    }

private:
    Levels& levels_;
    const std::vector<double>& powers_;
    std::size_t every_;
    double recentMarkDb_ = 0.0;
};

// The dot-long sum's power at every one of the buffered steps.
std::vector<double> matchedPowers(const std::vector<std::complex<double>>& steps, int filterSteps) {
    MatchedFilter filter;
    filter.setLength(filterSteps);
    std::vector<double> powers;
    powers.reserve(steps.size());
    for (const auto& z : steps) powers.push_back(filter.push(z));
    return powers;
}

// The likelihood decision's levels from those of the dot-long sum: its
// noise power is the steps' times the length (the noise class's median is
// ln 2 of its mean), its mark amplitude the steps' times the length.
void applySoftLevels(const Levels& levels, int filterSteps, SoftEdges& soft) {
    if (!levels.usable()) {
        soft.setLevels(0.0, 1.0);
        return;
    }
    const double length = filterSteps;
    const double noise = std::pow(10.0, levels.noiseDb() / 10.0) / (std::log(2.0) * length);
    const double mark = std::pow(10.0, levels.markDb() / 10.0) - length * noise;
    soft.setLevels(mark > 0.0 ? std::sqrt(mark) / length : 0.0, noise);
}

// How badly the marks and gaps that the likelihood decision finds in
// buffered steps at a dot length fit their classes (mean squared log
// deviation, outliers capped), starting from the levels that a dot-long sum
// of levelDotMs finds (the same for every dot length compared). Its own
// likelihood cannot compare dot lengths: a shorter dot lets it fit more
// detail of the noise.
double softFitCost(const std::vector<std::complex<double>>& steps, double dotMs, double levelDotMs) {
    const int length = stepsForDot(levelDotMs);
    const std::vector<double> powers = matchedPowers(steps, length);
    Levels levels;
    levels.reset(stepSamples * length);
    levels.prime(powers.data(), powers.size());
    SoftEdges soft;
    soft.setDotSteps(dotMs / stepMs);
    soft.setLagSteps(static_cast<int>(std::lround(softLagDots * dotMs / stepMs)));
    soft.reset(0.0);
    applySoftLevels(levels, length, soft);
    std::vector<KeyRun> runs;
    for (const auto& z : steps) soft.push(z, runs);
    soft.flush(runs);
    double sum = 0.0;
    int count = 0;
    bool sawMark = false;
    for (const KeyRun& run : runs) {
        const double ms = run.length() * stepMs;
        // Gaps before the first mark and pauses between words say nothing.
        if (!run.mark && (!sawMark || ms > pauseDots * dotMs)) continue;
        sawMark = sawMark || run.mark;
        const double dev = std::min(std::abs(classDeviation(ms, run.mark, dotMs)), 0.6);
        sum += dev * dev;
        ++count;
    }
    return count >= static_cast<int>(fewestMarks) ? sum / count : 1.0;
}

// The speed search runs the key decision over the buffer many times; its
// levels are renewed less often than the decoding's.
constexpr std::size_t searchRenewSteps = 3 * Levels::renewSteps;

// The runs that the key decision finds in buffered envelope values at a
// given dot length, as mark and gap durations (leading and trailing gaps
// left out).
struct Durations {
    std::vector<double> marks;
    std::vector<double> gaps;
};

Durations durationsAt(const std::vector<std::complex<double>>& steps, double dotMs) {
    const int length = stepsForDot(dotMs);
    const std::vector<double> powers = matchedPowers(steps, length);
    Levels levels;
    levels.reset(stepSamples * length);
    Durations found;
    KeyEdges edges;
    edges.reset(0.0);
    edges.setMinimumSteps(glitchDots * dotMs / stepMs);
    std::vector<KeyRun> runs;
    BufferedLevels pastLevels(levels, powers, searchRenewSteps);
    for (std::size_t i = 0; i < powers.size(); ++i) {
        if (i % searchRenewSteps == 0) {
            pastLevels.renewAt(i);
            if (levels.usable()) {
                edges.setThresholds(levels.onDb(), levels.offDb());
            } else {
                edges.setThresholds(never, never);
            }
        }
        edges.push(static_cast<double>(i), Levels::toDb(powers[i]), runs);
    }
    bool sawMark = false;
    for (const KeyRun& run : runs) {
        if (run.mark) {
            found.marks.push_back(run.length() * stepMs);
            sawMark = true;
        } else if (sawMark) {
            found.gaps.push_back(run.length() * stepMs);
        }
    }
    return found;
}
}  // namespace

BestReceiver::BestReceiver(const MorseTable& table, BestListener& listener)
    : listener_(listener), decoder_(table), history_(historySamples, 0.0) {}

void BestReceiver::setToneHint(double toneHz) {
    toneHintHz_ = toneHz > 0.0 ? toneHz : 0.0;
    search_.setHint(toneHintHz_);
}

void BestReceiver::setSpeedHint(double wpm) { speedHintWpm_ = wpm > 0.0 ? wpm : 0.0; }

double BestReceiver::nowMs() const { return static_cast<double>(samples_) * 1000.0 / sampleRate; }

void BestReceiver::pushStereo(const std::int16_t* interleaved, std::size_t frames) {
    double left[512];
    while (frames > 0) {
        const std::size_t n = std::min<std::size_t>(frames, 512);
        for (std::size_t i = 0; i < n; ++i) left[i] = interleaved[2 * i];
        pushMono(left, n);
        interleaved += 2 * n;
        frames -= n;
    }
}

void BestReceiver::pushMono(const double* samples, std::size_t count) {
    while (count > 0) {
        // Chunks end where the tone search analyses, so that a lock happens
        // exactly after the samples that caused it.
        const auto toHop =
            static_cast<std::size_t>(ToneSearch::hopSamples - search_.sampleCount() % ToneSearch::hopSamples);
        const std::size_t n = std::min(count, toHop);
        takeChunk(samples, n);
        samples += n;
        count -= n;
    }
}

void BestReceiver::takeChunk(const double* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        history_[static_cast<std::size_t>((samples_ + static_cast<std::int64_t>(i)) % historySamples)] = samples[i];
    samples_ += static_cast<std::int64_t>(count);
    const bool wasRunning = running_;
    const bool changed = search_.push(samples, count);
    if (changed && search_.locked()) lockedAt_ = samples_;
    if (changed && !search_.locked()) {
        release();
        return;
    }
    if (!search_.locked()) return;
    if (!wasRunning) {
        // Tried every second of audio until the speed is known.
        if ((samples_ - lockedAt_) % retrySamples == 0) running_ = tryStart();
        return;
    }
    mixer_.setTone(search_.toneHz());
    steps_.clear();
    mixer_.push(samples, count, steps_);
    for (const auto& z : steps_) {
        if (!running_) break;
        step(z, true);
    }
    reportTone();
}

bool BestReceiver::tryStart() {
    // Everything buffered, from a 4 ms step boundary, is decoded first.
    std::int64_t first = std::max<std::int64_t>(0, samples_ - historySamples);
    first = (first + stepSamples - 1) / stepSamples * stepSamples;
    std::vector<double> buffered;
    buffered.reserve(static_cast<std::size_t>(samples_ - first));
    for (std::int64_t s = first; s < samples_; ++s)
        buffered.push_back(history_[static_cast<std::size_t>(s % historySamples)]);
    mixer_ = Downmixer{};
    mixer_.setTone(search_.toneHz());
    std::vector<std::complex<double>> caught;
    mixer_.push(buffered.data(), buffered.size(), caught);
    stepIndex_ = first / stepSamples;

    const double dot = chooseDotMs(caught, samples_ - lockedAt_ >= longestWait);
    if (dot <= 0.0) return false;
    dotMs_ = dot;
    startPipeline();
    const std::vector<double> powers = matchedPowers(caught, filterSteps_);
    // The buffered audio's text is judged by the gate as it stands after
    // all of it, on the most recent durations: the noise before a
    // transmission must not silence its first words.
    catchingUp_ = true;
    BufferedLevels pastLevels(levels_, powers);
    for (std::size_t i = 0; i < caught.size(); ++i) {
        pastLevels.renewAt(i);
        step(caught[i], false);
    }
    pastLevels.finish();
    catchingUp_ = false;
    // Shut on the buffer's durations, the gate may still open on the next
    // few seconds': the buffer's text waits for it as after a brief shut.
    if (!gate_.undecided() && !gate_.open()) shutAtMs_ = static_cast<double>(stepIndex_) * stepMs;
    writeDecided({});
    reportTone();
    reportSpeed();
    return true;
}

double BestReceiver::chooseDotMs(const std::vector<std::complex<double>>& steps, bool mustChoose) {
    std::vector<double> candidates;
    if (speedHintWpm_ > 0.0) candidates.push_back(1200.0 / speedHintWpm_);
    candidates.insert(candidates.end(), std::begin(candidateDotsMs), std::end(candidateDotsMs));
    SpeedFit best;
    std::size_t marks = 0;
    for (double candidate : candidates) {
        // Each candidate is refitted with the filter matched to what it
        // found, so that fits are compared where filter and speed agree.
        SpeedFit fit;
        Durations d;
        double dot = candidate;
        for (int round = 0; round < 2; ++round) {
            d = durationsAt(steps, dot);
            fit = fitDotLength(d.marks, d.gaps, {dot});
            if (!fit.valid() || std::abs(std::log(fit.dotMs / dot)) < 0.05) break;
            dot = fit.dotMs;
        }
        if (fit.valid() && (!best.valid() || fit.cost < best.cost)) {
            best = fit;
            marks = d.marks.size();
        }
    }
    if (!mustChoose && (!best.valid() || marks < fewestMarks || best.cost > trustedFitCost)) return 0.0;
    gate_.reset();
    shutAtMs_ = -1.0;
    if (!best.valid()) return speedHintWpm_ > 0.0 ? 1200.0 / speedHintWpm_ : defaultDotMs;
    // Once more with the filter matched to the speed found.
    Durations d = durationsAt(steps, best.dotMs);
    const SpeedFit refined = fitDotLength(d.marks, d.gaps, {best.dotMs});
    double dot = refined.valid() ? refined.dotMs : best.dotMs;
    // Near the noise the durations may fit half or twice the speed as well:
    // the likelihood decision over the steps themselves tells them apart.
    const double found = dot;
    double bestCost = softFitCost(steps, dot, found);
    for (double other : {found / 2.0, found * 2.0}) {
        if (other < fastestDotMs || other > slowestDotMs) continue;
        const double cost = softFitCost(steps, other, found);
        if (cost < switchRatio * bestCost) {
            bestCost = cost;
            dot = other;
        }
    }
    if (dot != found) d = durationsAt(steps, dot);
    // The gate judges the buffered durations at once, so that the first
    // characters of a transmission are not held back.
    std::size_t m = 0, g = 0;
    while (m < d.marks.size() || g < d.gaps.size()) {
        if (m < d.marks.size()) gate_.add(d.marks[m++], true, dot);
        if (g < d.gaps.size()) gate_.add(d.gaps[g++], false, dot);
    }
    return dot;
}

void BestReceiver::startPipeline() {
    filterSteps_ = stepsForDot(dotMs_);
    filter_.setLength(filterSteps_);
    filter_.clear();
    refiner_.clear();
    levels_.reset(stepSamples * filterSteps_);
    edges_.reset(static_cast<double>(stepIndex_));
    edges_.setMinimumSteps(glitchDots * dotMs_ / stepMs);
    soft_.reset(static_cast<double>(stepIndex_));
    softFrom_ = static_cast<double>(stepIndex_);
    soft_.setDotSteps(dotMs_ / stepMs);
    soft_.setLagSteps(static_cast<int>(std::lround(softLagDots * dotMs_ / stepMs)));
    holding_ = false;
    marksInWord_ = 0;
    decoder_.reset();
    // After a restart, what was written before is decided again, not written.
    decoder_.silenceUntil(writtenUntilMs_);
    decoder_.setLagMs(lagForDot(dotMs_));
    closedDurations_ = 0;
    sawMark_ = false;
    quietBefore_ = true;
    joined_ = false;
    lastWasBlank_ = true;
    recentMarks_.clear();
    recentGaps_.clear();
    sinceRefit_ = 0;
}

void BestReceiver::step(std::complex<double> z, bool live) {
    refiner_.push(stepIndex_, z);
    const double power = filter_.push(z);
    const double t = static_cast<double>(stepIndex_++);
    // While catching up, the levels are those of the whole buffer.
    if (live) levels_.push(power);
    if (levels_.usable()) {
        edges_.setThresholds(levels_.onDb(), levels_.offDb());
    } else {
        edges_.setThresholds(never, never);
    }
    runs_.clear();
    edges_.push(t, Levels::toDb(power), runs_);
    for (const KeyRun& run : runs_) takeRun(run);
    setSoftLevels();
    softRuns_.clear();
    soft_.push(z, softRuns_);
    for (const KeyRun& run : softRuns_) takeSoftRun(run);
    if (live && closedDurations_ >= refitClosedDurations) {
        restart();
        return;
    }
    if (!edges_.keyDown() && (sawMark_ || holding_) && (t - edges_.runStart()) * stepMs > pauseDots * dotMs_)
        endJudgedWord();
    std::string decided;
    // The likelihood decision has decided everything up to its lag ago: a
    // gap that long is a word gap, whatever follows. Stray elements without
    // a long silence before them need one after them.
    const double pause = strayElements() && !quietBefore_ ? pauseDots : softPauseDots;
    if (!soft_.keyDown() && marksInWord_ > 0 && (soft_.decidedTo() - soft_.runStart()) * stepMs > pause * dotMs_)
        endWord(t * stepMs, decided);
    // Stray elements wait to be judged as a whole.
    if (!strayElements()) decoder_.commit(t * stepMs, decided);
    writeDecided(decided);
}

void BestReceiver::takeRun(const KeyRun& run) {
    // Gaps are measured between the refined edges of the marks around them.
    if (!run.mark) return;
    // The filter's output crosses half a dot's level about half a dot after
    // the raw edge.
    const double search = 0.5 * filterSteps_;
    const double delay = search - 1.0;
    KeyRun raw = run;
    raw.start -= delay;
    raw.end -= delay;
    double earliest = raw.start - search;
    if (holding_) earliest = 0.5 * (heldMark_.end + raw.start);
    const double start = refiner_.refine(raw.start, raw.end, search, earliest, raw.end + search).start;
    if (holding_) passHeldMark(earliest, start);
    holding_ = true;
    heldMark_ = raw;
    heldEarliest_ = earliest;
    heldStart_ = start;
}

void BestReceiver::passHeldMark(double latest, double nextStart) {
    if (!holding_) return;
    holding_ = false;
    const EdgeRefiner::Edges edges =
        refiner_.refine(heldMark_.start, heldMark_.end, 0.5 * filterSteps_, heldEarliest_, latest);
    const double end = std::max(edges.end, heldStart_ + 0.5);
    judge((end - heldStart_) * stepMs, true);
    sawMark_ = true;
    if (nextStart > -1e300) judge(std::max(0.0, nextStart - end) * stepMs, false);
}

void BestReceiver::endJudgedWord() {
    passHeldMark(heldMark_.end + 0.5 * filterSteps_, -1e301);
    sawMark_ = false;
}

void BestReceiver::setSoftLevels() { applySoftLevels(levels_, filterSteps_, soft_); }

void BestReceiver::takeSoftRun(const KeyRun& run) {
    const double lengthMs = run.length() * stepMs;
    if (run.mark) {
        decoder_.mark(lengthMs, dotMs_, run.end * stepMs);
        ++marksInWord_;
    } else if (marksInWord_ > 0) {
        decoder_.gap(lengthMs);
        joined_ = joined_ || lengthMs < letterGapDots * dotMs_;
    } else {
        // The first gap began before the search started: its length is
        // unknown.
        quietBefore_ = lengthMs > pauseDots * dotMs_ || run.start <= softFrom_;
        joined_ = false;
    }
}

bool BestReceiver::strayElements() const { return marksInWord_ >= 1 && marksInWord_ <= 2 && !joined_; }

void BestReceiver::endWord(double timeMs, std::string& decided) {
    if (strayElements()) {
        // One or two elements, each on its own, with a long silence on one
        // side and a word gap on the other: blips of noise far likelier than
        // an "E" or "T" sent alone (in a text, one-element words stand
        // between word gaps).
        decoder_.reset();
    } else {
        decoder_.pause(timeMs);
        decoder_.commitAll(decided);
    }
    marksInWord_ = 0;
}

void BestReceiver::judge(double lengthMs, bool mark) {
    const bool wasOpen = gate_.open();
    gate_.add(lengthMs, mark, dotMs_);
    if (wasOpen && !gate_.open()) shutAtMs_ = static_cast<double>(stepIndex_) * stepMs;
    closedDurations_ = gate_.open() ? 0 : closedDurations_ + 1;
    trackSpeed(lengthMs, mark);
}

void BestReceiver::trackSpeed(double lengthMs, bool mark) {
    const double dev = classDeviation(lengthMs, mark, dotMs_);
    if (std::abs(dev) < trackDeviation) dotMs_ *= std::exp(trackWeight * dev);
    keepLast(mark ? recentMarks_ : recentGaps_, lengthMs);
    if (++sinceRefit_ >= static_cast<int>(refitCount)) {
        sinceRefit_ = 0;
        const SpeedFit fit = fitDotLength(recentMarks_, recentGaps_, {dotMs_});
        if (fit.valid()) dotMs_ = fit.dotMs;
    }
    dotMs_ = std::clamp(dotMs_, fastestDotMs, slowestDotMs);
    const double ratio = dotMs_ / (filterSteps_ * stepMs);
    if (ratio > retuneRatio || ratio < 1.0 / retuneRatio) setFilterLength();
    decoder_.setLagMs(lagForDot(dotMs_));
    edges_.setMinimumSteps(glitchDots * dotMs_ / stepMs);
    soft_.setDotSteps(dotMs_ / stepMs);
    soft_.setLagSteps(static_cast<int>(std::lround(softLagDots * dotMs_ / stepMs)));
    reportSpeed();
}

void BestReceiver::setFilterLength() {
    const int length = stepsForDot(dotMs_);
    if (length == filterSteps_) return;
    levels_.rescale(static_cast<double>(length) / filterSteps_);
    filter_.setLength(length);
    filterSteps_ = length;
}

void BestReceiver::restart() {
    // The buffer is decoded afresh: what was held back comes again.
    held_.clear();
    shutAtMs_ = -1.0;
    running_ = false;
    lockedAt_ = samples_;
    closedDurations_ = 0;
}

void BestReceiver::release() {
    if (!running_) {
        listener_.tone(0.0);
        return;
    }
    running_ = false;
    endJudgedWord();
    std::string decided;
    endWord(static_cast<double>(stepIndex_) * stepMs, decided);
    writeDecided(decided);
    held_.clear();
    shutAtMs_ = -1.0;
    decoder_.reset();
    gate_.reset();
    sawMark_ = false;
    reportedToneHz_ = 0.0;
    listener_.tone(0.0);
}

void BestReceiver::finish() {
    if (search_.locked() && !running_) running_ = tryStart();
    if (!running_) return;
    const double t = static_cast<double>(stepIndex_);
    if (edges_.keyDown()) takeRun({true, edges_.runStart(), t});
    endJudgedWord();
    softRuns_.clear();
    soft_.flush(softRuns_);
    for (const KeyRun& run : softRuns_) takeSoftRun(run);
    if (soft_.keyDown()) takeSoftRun({true, soft_.runStart(), t});
    std::string decided;
    endWord(t * stepMs, decided);
    writeDecided(decided);
    if (gate_.undecided()) held_.clear();
}

void BestReceiver::writeDecided(const std::string& decided) {
    // Shut for a moment in a long transmission, the gate holds the text back
    // rather than losing it: near the noise, the durations it judges stray
    // for a few seconds now and then.
    const bool briefShut =
        !gate_.open() && shutAtMs_ >= 0.0 && static_cast<double>(stepIndex_) * stepMs - shutAtMs_ < briefShutMs;
    if (catchingUp_ || gate_.undecided() || briefShut) {
        held_ += decided;
        if (held_.size() > heldCapacity) held_.erase(0, held_.size() - heldCapacity);
        return;
    }
    std::string text = std::move(held_);
    held_.clear();
    text += decided;
    if (text.empty() || !gate_.open()) return;
    std::string out;
    for (char c : text) {
        const bool blank = c == ' ';
        if (blank && lastWasBlank_) continue;
        lastWasBlank_ = blank;
        out += c;
    }
    if (out.empty()) return;
    writtenUntilMs_ = decoder_.lastDecidedMs();
    listener_.text(out);
}

void BestReceiver::reportTone() {
    if (!search_.locked() || std::abs(search_.toneHz() - reportedToneHz_) < 1.0) return;
    reportedToneHz_ = search_.toneHz();
    listener_.tone(reportedToneHz_);
}

void BestReceiver::reportSpeed() {
    const double wpm = 1200.0 / dotMs_;
    if (std::abs(wpm - reportedWpm_) < 0.5) return;
    reportedWpm_ = wpm;
    listener_.speed(wpm, dotMs_);
}

}  // namespace ditdahl::automatic
