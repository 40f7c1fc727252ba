#include "automatic/LikelihoodEdges.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "automatic/ReceiverTiming.h"

namespace ditdahl::automatic {
namespace {
// Natural-log spread of every length around its class: as wide as a hand's
// until the sender's own is learnt, ...
constexpr double lengthSigma = 0.2;
// ... and no narrower than a keyer's, whose edges are found to within about
// a step: a dot of a few steps at fast speeds spreads wider than a dash.
constexpr double steadiestSpread = 0.12;
constexpr double edgeSteps = 1.0;
// How often each class comes: dots and dashes; element, letter and word
// gaps (in plain text about three in five gaps are within a letter).
constexpr double dotShare = 0.55;
constexpr double dashShare = 0.45;
constexpr double elementGapShare = 0.55;
constexpr double letterGapShare = 0.3;
constexpr double wordGapShare = 0.15;
// Lengths tried, in dots: marks up to a long dash, gaps up to a word gap
// (longer gaps all score as a word gap).
constexpr double shortestDots = 0.3;
constexpr double longestMarkDots = 6.0;
constexpr double wordGapDots = 7.0;
// A mark after a silence of two word gaps or more (a transmission's start)
// costs this much more: noise has had many chances there.
constexpr double startCost = 4.0;
// Each mark costs this much (natural log of probability) on top of its
// length's prior: noise passes for a dot in many places, a weak dot is
// missed in one.
constexpr double markCost = 0.5;
// The tone's phase is taken from this many dots either side of a step: the
// marks around a dot steady it.
constexpr double phaseDots = 2.0;
// Carriers whose phase does not run on from one mark to the next (a
// transmitter that restarts or chirps at each key-down) are recognised by
// how much better the decided marks score with a phase of their own: the
// evidence, each mark weighing this much less at the next, must pass the
// current reference's by this, or by this share of it, to switch.
constexpr double phaseMemory = 0.9;
constexpr double phaseSwitch = 3.0;
constexpr double phaseSwitchShare = 0.03;
// Such a carrier's phase is taken from this many dots either side only.
constexpr double localPhaseDots = 0.7;
// A mark's coherence is measured over spans of this many steps (20 ms).
constexpr int coherenceSteps = 5;
// Steps kept before the anchor (more than a dot at the slowest speed).
constexpr int keptSteps = 64;
// Each step is scored as the mean of the steps this many dots either side.
constexpr double smoothingDots = 0.15;
// The levels are learnt from the decided marks and gaps once they hold this
// many dots of each; each mark weighs this much less at the next, the gaps'
// steps fade over this many steps (6 s).
constexpr double learnedDots = 6.0;
constexpr double markMemory = 0.95;
constexpr double gapMemorySteps = 1500.0;
// A sender's weighting (marks longer, gaps shorter by the same time, or
// the other way round) is learnt from the decided marks and gaps this close
// to a dot, each weighing this much less at the next, once there are this
// many of each; taken up to this many dots, and used once it moved by more
// than this.
constexpr double weightingFromDots = 0.5;
constexpr double weightingToDots = 1.7;
constexpr double weightingMemory = 0.95;
constexpr double weightingLearnt = 4.0;
constexpr double largestWeighting = 0.15;
constexpr double weightingStep = 0.01;
// The spreads of the sender's dots, dashes and element gaps around their
// classes are learnt the same way, the dashes from the decided marks this
// many dots long, each from the mean deviation (each deviation counted up to
// this much). The letter and word gaps take the element gaps' spread.
constexpr std::size_t dotSpread = 0;
constexpr std::size_t dashSpread = 1;
constexpr std::size_t gapSpread = 2;
constexpr double dashFromDots = 2.0;
constexpr double dashToDots = 5.5;
constexpr double largestDeviation = 0.5;
// A deviation wider than those seen so far weighs as if the others were
// fewer (a sender who changes speed is off the classes at once).
constexpr double wideningMemory = 0.8;
// The mean absolute deviation of a normal spread is this share of it.
constexpr double meanDeviationShare = 0.8;
// About this many lengths per dot are tried: at slow speeds every few
// steps, which keeps the cost per step the same at every speed.
constexpr double lengthsPerDot = 10.0;
// Where the tone fades, each step is scored with the level of the marks
// around it (see EnvelopePeak): the largest mark top within this many dots
// but no more than this many steps (480 ms: a slow sender's letter lasts a
// second, over which a fast fade moves the level by 15 dB), ...
constexpr double peakWindowDots = 8.0;
constexpr double peakWindowMaxSteps = 120.0;
// ... which end this many dots, but no more than this many steps (200 ms),
// after the step (a fade that deepens is then seen coming, at the cost of
// that much more delay), ...
constexpr double peakAheadDots = 4.0;
constexpr double peakAheadMaxSteps = 50.0;
// ... each top more than this many dots before the step (before the
// marks of its own letter) weighed down by this much a second beyond that:
// a fade takes the level down about so fast, and a mark on its slope is
// then scored against the marks next to it rather than the loudest one
// seconds before, ...
constexpr double fadeFullDots = 2.0;
constexpr double fadeDbPerSecond = 4.0;
// ... a little over it, since the smaller of two noisy half-dot means lies
// under the mark's level, ...
constexpr double peakShare = 1.1;
// ... once it stands this many deviations of a dot-long mean over the
// noise: lower, it is noise or the trough of a fade too deep to copy, and
// the level in use keeps noise from passing for marks.
constexpr double peakOverNoise = 4.0;
// ... or, a little lower, two tops do (the marks in a fade's trough): one
// top that low is often the noise's own, in a slow sender's word gap longer
// than the window, where none of his marks is seen.
constexpr double confirmedOverNoise = 3.0;
// After a long silence, a level lower than the one in use is taken only
// from two tops (two marks, or the two halves of a dash) that both stand
// this many deviations over the noise, within this many dots either side:
// a lone crash or a burst of noise reaches one top, a transmission that
// begins in a fade reaches many.
constexpr double idlePeakOverNoise = 6.0;
constexpr double idleAheadDots = 6.0;
// Where no top stands clear, the level in use comes back, unless the marks
// last seen clear were fainter than this share of it: the fade has taken
// the station down, and a mark a little over the noise there is scored
// against the level they reached (at least this many deviations, which
// noise hardly reaches), not against the fade's peak 15 dB over it. That
// level follows the marks down no faster than a fade takes them (or a
// neighbour's faint marks after the station's turn would set it) and stays
// through the gaps between words.
constexpr double clearFadedShare = 0.5;
constexpr double fadedOverNoise = 6.0;
constexpr double clearFallDbPerSecond = 10.0;
double clearFallPerStep() {
    static const double fall = std::pow(10.0, -clearFallDbPerSecond * stepMs / 20000.0);
    return fall;
}

// Calls visit with every stride-th length from first up to last (and n),
// and with n itself: a segment may then always start at the anchor, whose
// place is fixed, while every other boundary can move by a step or two to
// fit the lengths tried.
template <typename Visit>
void forEachLength(int first, int last, int n, int stride, Visit visit) {
    last = std::min(last, n);
    for (int length = first; length <= last; length += stride) visit(length);
    if (n >= first && n <= last && (n - first) % stride != 0) visit(n);
}

// The spread (natural log) that finding each edge to within a step adds
// to a class of this length (steps): more to a short one.
double edgeBlur(double classLength) { return edgeSteps / classLength; }

}  // namespace

void LikelihoodEdges::reset(double step) {
    dotMarks_ = dotMarkCount_ = elementGaps_ = elementGapCount_ = 0.0;
    deviations_.fill(0.0);
    deviationCounts_.fill(0.0);
    const bool moved = weighting_ != 0.0 || spreads_ != Spreads{};
    weighting_ = 0.0;
    spreads_.fill(0.0);
    if (markPriors_.empty()) {
        setDotSteps(dotSteps_);
    } else if (moved) {
        priorsStale_ = true;
    }
    phaseEvidence_.fill(0.0);
    phase_ = PhaseReference::around;
    markAlong_ = markSteps_ = gapPower_ = gapSteps_ = 0.0;
    useLevels();
    anchor_ = step;
    runStart_ = step;
    prefix_.clear();
    history_ = 0;
    peak_.clear();
    clearLevel_ = std::numeric_limits<double>::max();
    measured_.clear();
    measuredFrom_ = std::llround(step);
    reanchor(0, true, true);
}

void LikelihoodEdges::setDotSteps(double dotSteps) {
    dotSteps = std::max(1.0, dotSteps);
    if (dotSteps == dotSteps_ && !markPriors_.empty()) return;
    dotSteps_ = dotSteps;
    stride_ = std::max(1, static_cast<int>(dotSteps_ / lengthsPerDot));
    peak_.setLengths(static_cast<int>(std::lround(dotSteps_)),
                     static_cast<int>(std::lround(std::min(peakWindowMaxSteps, peakWindowDots * dotSteps_))));
    peak_.setFade(fadeDbPerSecond / 20.0 * std::log(10.0) * stepMs / 1000.0,
                  peakAheadSteps() + static_cast<int>(std::lround(fadeFullDots * dotSteps_)));
    priorsStale_ = true;
}

void LikelihoodEdges::tabulatePriors() {
    // The priors of every length tried, worked out when they are next needed
    // after the dot length, the weighting or a spread moved (the speed and
    // the timing learnt often move together).
    if (!priorsStale_) return;
    priorsStale_ = false;
    const LengthClass dot = lengthClass(markClass(1.0), dotSpread);
    const LengthClass dash = lengthClass(markClass(3.0), dashSpread);
    const LengthClass element = lengthClass(gapClass(1.0), gapSpread);
    const LengthClass letter = lengthClass(gapClass(3.0), gapSpread);
    const LengthClass word = lengthClass(gapClass(wordGapDots), gapSpread);
    // The open last segment may still grow into any class at least as long:
    // its tail is that class's share in full.
    auto tail = [](const LengthClass& c, int length, double shape) { return length <= c.length ? 1.0 : shape; };
    const int longest = longestMark();
    markPriors_.resize(static_cast<std::size_t>(longest) + 1);
    markTails_.resize(static_cast<std::size_t>(longest) + 1);
    for (int length = 1; length <= longest; ++length) {
        const double logLength = std::log(length);
        const double asDot = dot.shape(logLength);
        const double asDash = dash.shape(logLength);
        const auto at = static_cast<std::size_t>(length);
        markPriors_[at] = std::log(dotShare * asDot + dashShare * asDash + 1e-300);
        markTails_[at] =
            std::log(std::max(dotShare * tail(dot, length, asDot), dashShare * tail(dash, length, asDash)) + 1e-300);
    }
    const int wordLength = wordSteps();
    gapPriors_.assign(static_cast<std::size_t>(wordLength) + 1, 0.0);
    gapTails_.assign(static_cast<std::size_t>(wordLength) + 1, std::log(std::max(elementGapShare, letterGapShare)));
    for (int length = 1; length <= wordLength; ++length) {
        const double logLength = std::log(length);
        const double asElement = element.shape(logLength);
        const double asLetter = letter.shape(logLength);
        const auto at = static_cast<std::size_t>(length);
        gapPriors_[at] = std::log(elementGapShare * asElement + letterGapShare * asLetter +
                                  wordGapShare * word.shape(logLength) + 1e-300);
        gapTails_[at] = std::log(std::max({elementGapShare * tail(element, length, asElement),
                                           letterGapShare * tail(letter, length, asLetter), wordGapShare}));
    }
}

int LikelihoodEdges::longestMark() const { return static_cast<int>(std::ceil(longestMarkDots * dotSteps_)); }

void LikelihoodEdges::setLevels(double markAmplitude, double noisePower) {
    givenAmplitude_ = std::max(0.0, markAmplitude);
    givenNoisePower_ = std::max(noisePower, 1e-12);
    useLevels();
}

void LikelihoodEdges::useLevels() {
    amplitude_ = givenAmplitude_;
    noisePower_ = givenNoisePower_;
    if (amplitude_ <= 0.0) return;
    // What the decided marks and gaps show, within bounds of the levels
    // given: those come from a split of the envelope that, near the noise,
    // puts the noise low and the marks too low.
    if (markSteps_ >= learnedDots * dotSteps_)
        amplitude_ = std::clamp(markAlong_ / markSteps_, 0.6 * givenAmplitude_, 1.5 * givenAmplitude_);
    if (gapSteps_ >= learnedDots * dotSteps_)
        noisePower_ = std::clamp(gapPower_ / gapSteps_, 0.7 * givenNoisePower_, 2.0 * givenNoisePower_);
}

void LikelihoodEdges::learnMark(int from, int to) {
    // The steps next to an edge hold part of both.
    from += 1;
    to -= 1;
    if (to <= from) return;
    learnPhase(from, to);
    double along = alongs_[static_cast<std::size_t>(to)] - alongs_[static_cast<std::size_t>(from)];
    if (phase_ == PhaseReference::nearby)
        along = localAlongs_[static_cast<std::size_t>(to)] - localAlongs_[static_cast<std::size_t>(from)];
    markAlong_ = markAlong_ * markMemory + along;
    markSteps_ = markSteps_ * markMemory + (to - from);
    useLevels();
}

double LikelihoodEdges::strength(int to) const {
    const auto& alongs = phase_ == PhaseReference::around ? alongs_ : localAlongs_;
    const double along = alongs[static_cast<std::size_t>(to)] - alongs[0];
    return amplitude_ > 0.0 && to > 0 ? along / (to * amplitude_) : 0.0;
}

double LikelihoodEdges::coherence(int to) const {
    // Away from the edges, in spans of a few steps: a tone a few hertz off
    // the mixer stays in phase over each, one 40 Hz or more away turns
    // through most of a cycle.
    const int from = 1;
    to -= 1;
    const int spans = (to - from) / coherenceSteps;
    if (spans < 1) return 1.0;
    double along = 0.0;
    for (int k = 0; k < spans; ++k) {
        const int a = from + k * coherenceSteps;
        along += std::norm(sumTo(a + coherenceSteps) - sumTo(a));
    }
    const double power = powerOf(from, from + spans * coherenceSteps);
    return power > 0.0 ? along / (coherenceSteps * power) : 1.0;
}

double LikelihoodEdges::powerOf(int from, int to) const {
    double power = 0.0;
    for (int t = from; t < to; ++t) power += std::norm(sumTo(t + 1) - sumTo(t));
    return power;
}

void LikelihoodEdges::learnPhase(int from, int to) {
    for (std::size_t k = 0; k < phaseReferences; ++k)
        phaseEvidence_[k] = phaseEvidence_[k] * phaseMemory + phaseScore(static_cast<PhaseReference>(k), from, to);
    const auto current = static_cast<std::size_t>(phase_);
    const double margin = std::max(phaseSwitch, phaseSwitchShare * std::abs(phaseEvidence_[current]));
    std::size_t best = current;
    for (std::size_t k = 0; k < phaseReferences; ++k)
        if (phaseEvidence_[k] > phaseEvidence_[best] && phaseEvidence_[k] > phaseEvidence_[current] + margin) best = k;
    phase_ = static_cast<PhaseReference>(best);
}

void LikelihoodEdges::learnGap(int to) {
    // From the step after the anchor (next to a mark's edge) to the step
    // before to.
    const int from = std::max(gapLearnt_, 1);
    to -= 1;
    if (to <= from) return;
    const double power = powerOf(from, to);
    const double kept = std::exp(-(to - from) / gapMemorySteps);
    gapPower_ = gapPower_ * kept + power;
    gapSteps_ = gapSteps_ * kept + (to - from);
    gapLearnt_ = to;
    useLevels();
}

int LikelihoodEdges::peakAheadSteps() const {
    return static_cast<int>(std::lround(std::min(peakAheadDots * dotSteps_, peakAheadMaxSteps)));
}

int LikelihoodEdges::wordSteps() const { return static_cast<int>(std::ceil(wordGapDots * dotSteps_)); }

int LikelihoodEdges::silenceSteps() const { return 2 * wordSteps(); }

double LikelihoodEdges::markClass(double dots) const { return (dots + weighting_) * dotSteps_; }

double LikelihoodEdges::gapClass(double dots) const { return (dots - weighting_) * dotSteps_; }

void LikelihoodEdges::learnTiming(int length, bool mark) {
    const double dots = length / dotSteps_;
    bool moved = false;
    if (dots >= weightingFromDots && dots <= weightingToDots) {
        if (mark) {
            dotMarks_ = dotMarks_ * weightingMemory + dots;
            dotMarkCount_ = dotMarkCount_ * weightingMemory + 1.0;
        } else {
            elementGaps_ = elementGaps_ * weightingMemory + dots;
            elementGapCount_ = elementGapCount_ * weightingMemory + 1.0;
        }
        const double unit = mark ? markClass(1.0) : gapClass(1.0);
        moved = learnSpread(mark ? dotSpread : gapSpread, length, unit);
        if (dotMarkCount_ >= weightingLearnt && elementGapCount_ >= weightingLearnt) {
            const double weighting = std::clamp(0.5 * (dotMarks_ / dotMarkCount_ - elementGaps_ / elementGapCount_),
                                                -largestWeighting, largestWeighting);
            if (std::abs(weighting - weighting_) > weightingStep) {
                weighting_ = weighting;
                moved = true;
            }
        }
    } else if (mark && dots >= dashFromDots && dots <= dashToDots) {
        moved = learnSpread(dashSpread, length, markClass(3.0));
    }
    if (moved) priorsStale_ = true;
}

bool LikelihoodEdges::learnSpread(std::size_t which, int length, double classLength) {
    if (!spreadsLearnt_) return false;
    const double deviation = std::min(std::abs(std::log(length / classLength)), largestDeviation);
    const double seenBefore = deviationCounts_[which] > 0.0 ? deviations_[which] / deviationCounts_[which] : 0.0;
    const double memory = deviation > seenBefore ? wideningMemory : weightingMemory;
    deviations_[which] = deviations_[which] * memory + deviation;
    deviationCounts_[which] = deviationCounts_[which] * memory + 1.0;
    if (deviationCounts_[which] < weightingLearnt) return false;
    // What the edges' uncertainty adds is left out: each class adds its own.
    const double seen = deviations_[which] / deviationCounts_[which] / meanDeviationShare;
    const double blur = edgeBlur(classLength);
    const double own = std::clamp(std::sqrt(std::max(0.0, seen * seen - blur * blur)), steadiestSpread, lengthSigma);
    if (spreads_[which] > 0.0 && std::abs(own - spreads_[which]) <= weightingStep) return false;
    spreads_[which] = own;
    return true;
}

LikelihoodEdges::LengthClass LikelihoodEdges::lengthClass(double classLength, std::size_t which) const {
    const double own = spreads_[which];
    const double blur = edgeBlur(classLength);
    const double spread = own <= 0.0 ? lengthSigma : std::min(lengthSigma, std::sqrt(own * own + blur * blur));
    return {classLength, std::log(classLength), 2.0 * spread * spread};
}

double LikelihoodEdges::amplitudeAt(double peak, double confirmed) {
    if (amplitude_ <= 0.0) return amplitude_;
    const double deviation = std::sqrt(noisePower_ / (2.0 * dotSteps_));
    // After a long silence a lone crash or a burst of noise may set the peak
    // before a transmission: there only a level that two tops reach, well
    // clear of the noise, is taken (a transmission that begins in a fade).
    if (idle_) {
        clearLevel_ = amplitude_;
        if (confirmed < idlePeakOverNoise * deviation) return amplitude_;
        return std::min(amplitude_, peakShare * confirmed);
    }
    if (peak < peakOverNoise * deviation && confirmed < confirmedOverNoise * deviation) {
        if (clearLevel_ >= clearFadedShare * amplitude_) return amplitude_;
        return std::min(amplitude_, std::max(fadedOverNoise * deviation, clearLevel_));
    }
    const double level = std::min(amplitude_, peakShare * peak);
    clearLevel_ = std::min(amplitude_, std::max(level, clearLevel_ * clearFallPerStep()));
    return level;
}

double LikelihoodEdges::markScore(int a, int b) const { return phaseScore(phase_, a, b) - markCost; }

double LikelihoodEdges::phaseScore(PhaseReference phase, int a, int b) const {
    const auto from = static_cast<std::size_t>(a);
    const auto to = static_cast<std::size_t>(b);
    switch (phase) {
        case PhaseReference::around:
            return scores_[to] - scores_[from];
        case PhaseReference::nearby:
            break;
    }
    return localScores_[to] - localScores_[from];
}

void LikelihoodEdges::measureNext(bool toTheEnd) {
    const int received = static_cast<int>(prefix_.size()) - 1 - history_;
    const int reach = std::max(1, static_cast<int>(std::lround(phaseDots * dotSteps_)));
    const int quarter = static_cast<int>(smoothingDots * dotSteps_);
    const int localReach = std::max(quarter + 2, static_cast<int>(std::lround(localPhaseDots * dotSteps_)));
    for (;;) {
        const auto t = static_cast<int>(measuredFrom_ + std::ssize(measured_) - std::llround(anchor_));
        if (t >= received) return;
        // The tone's phase at this step: that of the sum over two dots either
        // side, which follows a tone slightly off the mixer's frequency and
        // draws on the marks next to a dot. Where the steps held end on one
        // side, the span reaches further on the other: a step's own part in
        // a shorter sum would pull the phase its way.
        int first = std::max(-history_, t - reach);
        int last = first + 2 * reach + 1;
        if (last > received) {
            if (!toTheEnd) return;
            last = received;
            first = std::max(-history_, last - 2 * reach - 1);
        }
        const std::complex<double> around = sumTo(last) - sumTo(first);
        // The step itself, averaged over a few around it: 4 ms alone would
        // let a signal 100 Hz away through almost whole.
        int from = std::max(-history_, t - quarter);
        int to = std::min(received, from + 2 * quarter + 1);
        from = std::max(-history_, to - 2 * quarter - 1);
        const std::complex<double> z = (sumTo(to) - sumTo(from)) / static_cast<double>(to - from);
        const double size = std::abs(around);
        StepMeasure m;
        m.along = size > 0.0 ? (z.real() * around.real() + z.imag() * around.imag()) / size : 0.0;
        // The same along a phase taken close by only, which follows a phase
        // that jumps or slides at key-down. The step's own noise is left out
        // of it: with so few steps it would pull the phase its way.
        const int localFirst = std::max(-history_, std::min(from, t - localReach));
        const int localLast = std::max(to, std::min(received, t + localReach + 1));
        const std::complex<double> near = sumTo(localLast) - sumTo(localFirst) - (sumTo(to) - sumTo(from));
        const double nearSize = std::abs(near);
        m.localAlong = nearSize > 0.0 ? (z.real() * near.real() + z.imag() * near.imag()) / nearSize : 0.0;
        m.peak = peak_.push(phase_ == PhaseReference::around ? m.along : m.localAlong);
        m.confirmed = peak_.confirmed();
        measured_.push_back(m);
    }
}

void LikelihoodEdges::scoreNext(bool toTheEnd) {
    tabulatePriors();
    measureNext(toTheEnd);
    // At the start of a transmission the marks after the first are waited
    // for, to confirm a level of its own.
    const std::int64_t ahead = idle_ ? std::lround(idleAheadDots * dotSteps_) : peakAheadSteps();
    const std::int64_t measuredTo = measuredFrom_ + std::ssize(measured_);
    for (;;) {
        const int t = static_cast<int>(scores_.size()) - 1;
        const std::int64_t at = std::llround(anchor_) + t;
        if (at >= measuredTo) return;
        std::int64_t peakAt = at + ahead;
        if (peakAt >= measuredTo) {
            if (!toTheEnd) return;
            peakAt = measuredTo - 1;
        }
        const StepMeasure& m = measured_[static_cast<std::size_t>(at - measuredFrom_)];
        const StepMeasure& atPeak = measured_[static_cast<std::size_t>(peakAt - measuredFrom_)];
        const double amplitude = amplitudeAt(atPeak.peak, atPeak.confirmed);
        scores_.push_back(scores_.back() + (2.0 * amplitude * m.along - amplitude * amplitude) / noisePower_);
        alongs_.push_back(alongs_.back() + m.along);
        localScores_.push_back(localScores_.back() +
                               (2.0 * amplitude * m.localAlong - amplitude * amplitude) / noisePower_);
        localAlongs_.push_back(localAlongs_.back() + m.localAlong);
        markEnds_.push_back(none);
        gapEnds_.push_back(none);
        markFrom_.push_back(0);
        gapFrom_.push_back(0);
        computeAt(t + 1);
    }
}

void LikelihoodEdges::computeAt(int n) {
    const auto at = static_cast<std::size_t>(n);
    const int shortest = std::max(1, static_cast<int>(shortestDots * dotSteps_));
    double bestMark = none;
    int markFrom = 0;
    if (amplitude_ > 0.0) {
        const int longest = longestMark();
        forEachLength(shortest, longest, n, stride_, [&](int length) {
            const int a = n - length;
            const double before = gapEnds_[static_cast<std::size_t>(a)];
            if (before <= none) return;
            const double s = before + markScore(a, n) + markPriors_[static_cast<std::size_t>(length)];
            if (s > bestMark) {
                bestMark = s;
                markFrom = a;
            }
        });
    }
    markEnds_[at] = bestMark;
    markFrom_[at] = markFrom;

    const int word = wordSteps();
    const int silence = silenceSteps();
    while (longNext_ <= n - silence) {
        if (markEnds_[static_cast<std::size_t>(longNext_)] > longBest_) {
            longBest_ = markEnds_[static_cast<std::size_t>(longNext_)];
            longFrom_ = longNext_;
        }
        ++longNext_;
    }
    double bestGap = none;
    int gapFrom = 0;
    if (longBest_ > none) {
        bestGap = longBest_ + std::log(wordGapShare) - startCost;
        gapFrom = longFrom_;
    }
    // After a long silence the gap from the anchor may have any length.
    if (idle_ && markEnds_[0] - startCost > bestGap) {
        bestGap = markEnds_[0] - startCost;
        gapFrom = 0;
    }
    forEachLength(shortest, silence - 1, n, stride_, [&](int length) {
        const int a = n - length;
        const double before = markEnds_[static_cast<std::size_t>(a)];
        if (before <= none) return;
        const double s =
            before + (length < word ? gapPriors_[static_cast<std::size_t>(length)] : std::log(wordGapShare));
        if (s > bestGap) {
            bestGap = s;
            gapFrom = a;
        }
    });
    gapEnds_[at] = bestGap;
    gapFrom_[at] = gapFrom;
}

void LikelihoodEdges::bestPath(std::vector<Boundary>& path) const {
    path.clear();
    const int n = static_cast<int>(scores_.size()) - 1;
    if (n <= 0) return;
    // The open segment: a gap since some mark's end, or a mark since some
    // gap's end.
    double best = none;
    int origin = 0;
    bool originIsMarkEnd = true;
    if (longBest_ > none) {
        best = longBest_ + std::log(wordGapShare);
        origin = longFrom_;
    }
    if (idle_ && markEnds_[0] > best) {
        best = markEnds_[0];
        origin = 0;
    }
    const int word = wordSteps();
    forEachLength(0, silenceSteps() - 1, n, stride_, [&](int length) {
        const int a = n - length;
        const double before = markEnds_[static_cast<std::size_t>(a)];
        if (before <= none) return;
        const double s =
            before + (length < word ? gapTails_[static_cast<std::size_t>(length)] : std::log(wordGapShare));
        if (s > best) {
            best = s;
            origin = a;
        }
    });
    if (amplitude_ > 0.0) {
        const int longest = longestMark();
        forEachLength(1, longest, n, stride_, [&](int length) {
            const int a = n - length;
            const double before = gapEnds_[static_cast<std::size_t>(a)];
            if (before <= none) return;
            const double s = before + markScore(a, n) + markTails_[static_cast<std::size_t>(length)];
            if (s > best) {
                best = s;
                origin = a;
                originIsMarkEnd = false;
            }
        });
    }
    if (best <= none) return;
    int x = origin;
    bool markEnd = originIsMarkEnd;
    while (x > 0) {
        path.push_back({x, markEnd});
        x = markEnd ? markFrom_[static_cast<std::size_t>(x)] : gapFrom_[static_cast<std::size_t>(x)];
        markEnd = !markEnd;
    }
    std::reverse(path.begin(), path.end());
}

void LikelihoodEdges::decide(bool all, std::vector<KeyRun>& finished) {
    tabulatePriors();
    for (;;) {
        const int n = static_cast<int>(scores_.size()) - 1;
        bestPath(path_);
        if (path_.empty() || (!all && path_.front().at > n - lagSteps_)) break;
        const Boundary first = path_.front();
        // A gap from an idle anchor is only the end of a longer one.
        if (first.mark || !idle_) learnTiming(first.at, first.mark);
        finished.push_back({first.mark, runStart_, anchor_ + first.at,
                            first.mark ? phaseScore(phase_, 0, first.at) : 0.0, first.mark ? strength(first.at) : 0.0,
                            first.mark ? coherence(first.at) : 1.0, first.mark ? amplitude_ : 0.0});
        if (first.mark) {
            learnMark(0, first.at);
        } else {
            learnGap(first.at);
        }
        reanchor(first.at, first.mark, false);
    }
    const int n = static_cast<int>(scores_.size()) - 1;
    // Where no mark could be scored since a mark began at the anchor (the
    // tone's level was lost), none can end now: there was none, and the
    // silence goes on from the anchor; else nothing would be decided again.
    if (!all && path_.empty() && !gapAtAnchor_ && n > longestMark() + lagSteps_) {
        reanchor(0, true, true);
        return;
    }
    // A long silence moves the anchor along, so that the search keeps a
    // bounded span: a gap this long scores the same wherever it started.
    const int quiet = path_.empty() ? n : path_.front().at;
    // The gap since the anchor is decided up to the lag: its noise counts
    // at once, not only when a mark ends it.
    if (!all && gapAtAnchor_) learnGap(std::min(quiet, n - lagSteps_));
    if (!all && gapAtAnchor_ && n >= 2 * (silenceSteps() + lagSteps_) && quiet > n - lagSteps_)
        reanchor(n - lagSteps_, true, true);
}

void LikelihoodEdges::reanchor(int at, bool gapStarts, bool idle) {
    anchor_ += at;
    if (!idle) runStart_ = anchor_;
    gapAtAnchor_ = gapStarts;
    idle_ = idle;
    if (prefix_.empty()) prefix_.push_back({});
    // A few steps before the anchor stay, for the phase of the steps after it.
    const int kept = std::min(keptSteps, at + history_);
    prefix_.erase(prefix_.begin(), prefix_.begin() + (at + history_ - kept));
    history_ = kept;
    while (!measured_.empty() && measuredFrom_ < std::llround(anchor_)) {
        measured_.pop_front();
        ++measuredFrom_;
    }
    if (measured_.empty()) measuredFrom_ = std::llround(anchor_);
    const std::complex<double> base = prefix_.front();
    for (auto& p : prefix_) p -= base;
    scores_.assign(1, 0.0);
    alongs_.assign(1, 0.0);
    localScores_.assign(1, 0.0);
    localAlongs_.assign(1, 0.0);
    markEnds_.assign(1, gapStarts ? 0.0 : none);
    gapEnds_.assign(1, gapStarts ? none : 0.0);
    markFrom_.assign(1, 0);
    gapFrom_.assign(1, 0);
    longBest_ = none;
    longFrom_ = 0;
    longNext_ = 0;
    gapLearnt_ = 0;
    scoreNext(false);
}

void LikelihoodEdges::push(std::complex<double> step, std::vector<KeyRun>& finished) {
    prefix_.push_back(prefix_.back() + step);
    scoreNext(false);
    decide(false, finished);
}

void LikelihoodEdges::flush(std::vector<KeyRun>& finished) {
    scoreNext(true);
    decide(true, finished);
}

}  // namespace ditdahl::automatic
