#include "automatic/SpeedSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "automatic/BufferedLevels.h"
#include "automatic/KeyEdges.h"
#include "automatic/LikelihoodLevels.h"
#include "automatic/ReceiverTiming.h"
#include "automatic/SpeedFit.h"

namespace ditdahl::automatic {
namespace {
constexpr double candidateDotsMs[] = {24.0, 34.0, 48.0, 68.0, 96.0, 136.0};
constexpr double defaultDotMs = 60.0;
// The speed is trusted once the buffer holds enough marks (see
// trustedMarks) and fits them this well (mean squared log deviation): Morse in noise
// down to -9 dB fits within a few hundredths, noise keyed through a short
// filter around 0.15.
constexpr double trustedFitCost = 0.08;
// The threshold decision's marks come out longer than sent, and its gaps
// shorter, where its thresholds sit low on the filter's slopes: in a short
// over after the other station's, whose leak drew the mark level down. The
// fit of a short over allows for that; on a longer buffer the same freedom
// lets pumped noise and widely spaced letters fit at a wrong speed.
constexpr double mostWeightDots = 0.4;
// Another speed is taken only when it fits this much better, a faster one
// (a dot under this share of the one in hand) already when it fits about as
// well: at a slow speed's long filter a fast sender's letters fuse into
// marks that fit the classes as well as his elements do at his own speed,
// while a slow sender's elements, split at twice his speed, fit far worse.
constexpr double switchRatio = 0.8;
constexpr double fasterRatio = 1.1;
constexpr double fasterShare = 0.75;
// A fit that moves less than this (natural log) when refitted through the
// filter matched to it has settled.
constexpr double settledFit = 0.05;
// A slower candidate's speed at which the buffer holds fewer than this share
// of the marks found at the speed found is not weighed against it.
constexpr double fusedMarksShare = 0.7;
// Speeds this close (natural log of their ratio) are tried once.
constexpr double distinctSpeeds = 0.15;
// The other phase reference is taken if it fits this much better.
constexpr double phaseSwitchRatio = 0.7;
// The search runs the key decision over the buffer many times; its levels
// are renewed less often than the decoding's.
constexpr std::size_t searchRenewSteps = 3 * Levels::renewSteps;
constexpr double never = std::numeric_limits<double>::max();

// How badly the marks and gaps that the likelihood decision finds in
// buffered steps at a dot length fit their classes (mean squared log
// deviation, outliers capped), starting from the levels that a dot-long sum
// of levelDotMs finds (the same for every dot length compared) and from the
// phase reference given, and the reference it ends with (the worst cost
// where it finds fewer than fewestDurations marks and gaps). Its own
// likelihood cannot compare dot lengths: a shorter dot lets it fit more
// detail of the noise.
struct LikelihoodFit {
    double cost = 1.0;
    LikelihoodEdges::PhaseReference phase = LikelihoodEdges::PhaseReference::around;
};

LikelihoodFit likelihoodFit(const std::vector<std::complex<double>>& steps, double dotMs, double levelDotMs,
                            std::size_t fewestDurations,
                            LikelihoodEdges::PhaseReference phase = LikelihoodEdges::PhaseReference::around) {
    const int length = stepsForDot(levelDotMs);
    const std::vector<double> powersDb = matchedPowersDb(steps, length);
    Levels levels;
    levels.reset(stepSamples * length);
    levels.prime(powersDb.data(), powersDb.size());
    LikelihoodEdges likelihood;
    likelihood.keepSpreadsWide();
    likelihood.setDotSteps(dotMs / stepMs);
    likelihood.setLagSteps(likelihoodLagSteps(dotMs));
    likelihood.reset(0.0);
    likelihood.assumePhaseReference(phase);
    applyLikelihoodLevels(levels, length, likelihood);
    std::vector<KeyRun> runs;
    for (const auto& z : steps) likelihood.push(z, runs);
    likelihood.flush(runs);
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
    return {count >= static_cast<int>(fewestDurations) ? sum / count : 1.0, likelihood.phaseReference()};
}

// A carrier whose phase jumps or slides at each key-down splits and loses
// marks while they are scored along a phase that runs on, and the decision
// learns that only after several: the fit from the other reference where it
// fits clearly better, so that the buffer is decoded from it.
LikelihoodFit withBetterPhase(const std::vector<std::complex<double>>& steps, double dotMs, double levelDotMs,
                              std::size_t fewestDurations, const LikelihoodFit& fit) {
    const auto other = fit.phase == LikelihoodEdges::PhaseReference::around ? LikelihoodEdges::PhaseReference::nearby
                                                                            : LikelihoodEdges::PhaseReference::around;
    const LikelihoodFit alongOther = likelihoodFit(steps, dotMs, levelDotMs, fewestDurations, other);
    return alongOther.cost < phaseSwitchRatio * fit.cost ? alongOther : fit;
}

// A candidate's fit, refitted with the filter matched to what it found, so
// that fits are compared where filter and speed agree, and how many marks
// the buffer holds at its speed.
struct CandidateFit {
    SpeedFit fit;
    std::size_t marks = 0;
};

CandidateFit fitCandidate(const std::vector<std::complex<double>>& steps, double candidate, std::size_t fewestMarks,
                          double weighting) {
    SpeedFit fit;
    Durations d;
    double dot = candidate;
    bool settled = false;
    for (int round = 0; round < 2; ++round) {
        d = durationsAt(steps, dot);
        fit = fitDotLength(d.marks, d.gaps, {dot}, fastestFoundDotMs, fewestMarks, weighting);
        settled = fit.valid() && std::abs(std::log(fit.dotMs / dot)) < settledFit;
        if (!fit.valid() || settled) break;
        dot = fit.dotMs;
    }
    // Noise through a short filter fits a dot shorter than the filter's,
    // and shorter again through the filter matched to that: beyond the
    // fastest speed followed only a fit that the filter matched to it keeps
    // is a sender's.
    if (fit.valid() && fit.dotMs < fastestDotMs && !settled) return {};
    return {fit, d.marks.size()};
}

// The speeds weighed against the one found (holding so many marks): half
// (where that is not beyond the fastest followed) and twice it, and those
// other candidates settled on.
std::vector<double> rivalSpeeds(double found, std::size_t marks, const std::vector<CandidateFit>& fitted) {
    std::vector<double> others;
    if (found / 2.0 >= fastestDotMs) others.push_back(found / 2.0);
    others.push_back(found * 2.0);
    for (const CandidateFit& f : fitted) {
        const double other = f.fit.dotMs;
        const bool tried = std::any_of(others.begin(), others.end(),
                                       [&](double o) { return std::abs(std::log(other / o)) < distinctSpeeds; });
        // A slower speed at which the buffer holds far fewer marks fuses the
        // letters of a sender at the speed found, and is not weighed against
        // it: where another station leaks into the buffer, the likelihood
        // decision at the slow speed's long filter shuts the leak out, and
        // scores better than at the sender's own speed, where it is let in.
        const bool fused = other > found && static_cast<double>(f.marks) < fusedMarksShare * static_cast<double>(marks);
        if (!tried && !fused && std::abs(std::log(other / found)) >= distinctSpeeds) others.push_back(other);
    }
    return others;
}
}  // namespace

Durations durationsAt(const std::vector<std::complex<double>>& steps, double dotMs) {
    const int length = stepsForDot(dotMs);
    const std::vector<double> powersDb = matchedPowersDb(steps, length);
    Levels levels;
    levels.reset(stepSamples * length);
    Durations found;
    KeyEdges edges;
    edges.reset(0.0);
    edges.setMinimumSteps(glitchDots * dotMs / stepMs);
    std::vector<KeyRun> runs;
    BufferedLevels pastLevels(levels, powersDb, searchRenewSteps);
    for (std::size_t i = 0; i < powersDb.size(); ++i) {
        if (i % searchRenewSteps == 0) {
            pastLevels.renewAt(i);
            if (levels.usable()) {
                edges.setThresholds(levels.onDb(), levels.offDb());
            } else {
                edges.setThresholds(never, never);
            }
        }
        edges.push(static_cast<double>(i), powersDb[i], runs);
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

std::optional<SpeedChoice> searchSpeed(const std::vector<std::complex<double>>& steps, double speedHintWpm,
                                       bool mustChoose, std::size_t fewestMarks) {
    std::vector<double> candidates;
    if (speedHintWpm > 0.0) candidates.push_back(1200.0 / speedHintWpm);
    candidates.insert(candidates.end(), std::begin(candidateDotsMs), std::end(candidateDotsMs));
    SpeedFit best;
    std::size_t marks = 0;
    std::vector<CandidateFit> fitted;  // every candidate's
    // A short over's fewer marks are fitted too.
    const std::size_t fitMarks = std::min(fewestMarks, fewestFitMarks);
    const double weighting = fewestMarks < trustedMarks ? mostWeightDots : 0.0;
    for (double candidate : candidates) {
        const CandidateFit f = fitCandidate(steps, candidate, fitMarks, weighting);
        if (!f.fit.valid()) continue;
        fitted.push_back(f);
        if (!best.valid() || f.fit.cost < best.cost) {
            best = f.fit;
            marks = f.marks;
        }
    }
    if (!mustChoose && (!best.valid() || marks < fewestMarks || best.cost > trustedFitCost)) return std::nullopt;
    if (!best.valid()) return SpeedChoice{speedHintWpm > 0.0 ? 1200.0 / speedHintWpm : defaultDotMs, {}};
    // Once more with the filter matched to the speed found.
    Durations d = durationsAt(steps, best.dotMs);
    const SpeedFit refined = fitDotLength(d.marks, d.gaps, {best.dotMs}, fastestFoundDotMs, fitMarks, weighting);
    double dot = refined.valid() ? refined.dotMs : best.dotMs;
    // Near the noise the durations may fit half or twice the speed, or the
    // speed another candidate settled on, as well: the likelihood decision
    // over the steps themselves tells them apart.
    const double found = dot;
    LikelihoodFit chosen = likelihoodFit(steps, dot, found, fewestMarks);
    const std::vector<double> others = rivalSpeeds(found, marks, fitted);
    // The few marks of a short over tell too little for a faster speed that
    // fits only about as well to be taken.
    const bool preferFaster = fewestMarks >= trustedMarks;
    for (double other : others) {
        if (other < fastestFoundDotMs || other > slowestDotMs) continue;
        const LikelihoodFit fit = likelihoodFit(steps, other, found, fewestMarks);
        const double needed = preferFaster && other < fasterShare * dot ? fasterRatio : switchRatio;
        if (fit.cost < needed * chosen.cost) {
            chosen = fit;
            dot = other;
        }
    }
    chosen = withBetterPhase(steps, dot, found, fewestMarks, chosen);
    if (dot != found) d = durationsAt(steps, dot);
    // The gate judges the durations as the fit saw them: the threshold
    // decision's smear taken off.
    const SpeedFit atDot =
        weighting > 0.0 ? fitDotLength(d.marks, d.gaps, {dot}, fastestFoundDotMs, fitMarks, weighting) : SpeedFit{};
    if (atDot.valid()) {
        for (double& m : d.marks) m = std::max(m - atDot.weightMs, stepMs);
        for (double& g : d.gaps) g = std::max(g + atDot.weightMs, stepMs);
    }
    return SpeedChoice{dot, std::move(d), chosen.phase};
}

}  // namespace ditdahl::automatic
