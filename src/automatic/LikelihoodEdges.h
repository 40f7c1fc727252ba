// The key decision by likelihood instead of thresholds: a Viterbi search over
// alternating mark and gap segments of the raw 4 ms mixer steps. A mark is
// scored by how much likelier its steps are under a tone of the mark's level
// (or, where the tone fades, of the level the marks around it reach) than
// under noise alone, each step taken along the tone's phase over two dots
// either side (so that a tone a hertz or two off the mixer does not turn
// away within a dash), or over less than a dot where the carrier's phase
// jumps or slides at each key-down; every length by a prior of 1 or 3 dots
// for marks and 1, 3 or 7 and more dots for gaps, marks longer and gaps
// shorter by the sender's weighting, and each class as narrow as his
// steadiness allows, as the decided dots, dashes and element gaps show
// them. A segment is decided once the best path has held its end for a
// fixed lag; later evidence can no longer change it. Produces finished runs,
// as the threshold decision does. Runs on whichever thread feeds the
// automatic receiver.
#pragma once

#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <deque>
#include <vector>

#include "automatic/EnvelopePeak.h"
#include "automatic/KeyEdges.h"

namespace ditdahl::automatic {

class LikelihoodEdges {
public:
    // Where a mark's carrier phase is taken from: the steps two dots around
    // each step (a carrier whose phase runs on from mark to mark), or those
    // close by only (one that jumps or slides at each key-down, as many
    // transmitters do). Learnt from the decided marks: the one they score
    // best with.
    enum class PhaseReference { around, nearby };
    static constexpr std::size_t phaseReferences = 2;

    LikelihoodEdges() { reset(0.0); }

    // Back to key up at the given step (after a long silence), nothing
    // pending.
    void reset(double step);
    // The dot length in steps (at least 1).
    void setDotSteps(double dotSteps);
    // The tone's amplitude and the noise's power (mean |z|^2) in one raw
    // step; an amplitude of 0 allows no mark.
    void setLevels(double markAmplitude, double noisePower);
    // A segment's end is decided once this many steps have followed it.
    void setLagSteps(int steps) { lagSteps_ = steps < 1 ? 1 : steps; }
    int lagSteps() const { return lagSteps_; }
    PhaseReference phaseReference() const { return phase_; }
    // How much longer than its class each mark is taken to be, and each gap
    // shorter (dots; negative for light keying), as learnt since the reset.
    double weighting() const { return weighting_; }
    // Keeps every class's spread as wide as a hand's: where many dot lengths
    // are tried, spreads fitted to each would draw noise into the classes at
    // any of them and hide which fits.
    void keepSpreadsWide() { spreadsLearnt_ = false; }
    // Starts from this reference (found on earlier audio of the same
    // carrier) instead of the first.
    void assumePhaseReference(PhaseReference phase) { phase_ = phase; }

    // One raw step; appends each run that is decided.
    void push(std::complex<double> step, std::vector<KeyRun>& finished);
    // Decides every segment end the best path holds now (the audio ended).
    void flush(std::vector<KeyRun>& finished);

    // The step up to which everything is decided: the steps are scored a
    // little after they come, and decided the lag after that.
    double decidedTo() const { return anchor_ + static_cast<double>(scores_.size()) - 1.0 - lagSteps_; }

    // The state after the last decided segment end, and since when.
    bool keyDown() const { return !gapAtAnchor_; }
    double runStart() const { return runStart_; }

private:
    static constexpr double none = -1e300;
    struct Boundary {
        int at;     // offset from the anchor
        bool mark;  // the segment ending here is a mark
    };

    void computeAt(int n);
    // Scores the received steps whose phase is known (two dots after them, or
    // all of them at the end) and extends the search over them.
    void scoreNext(bool toTheEnd);
    // Measures the received steps whose phase is known along it.
    void measureNext(bool toTheEnd);
    // The mark amplitude a step is scored with, from the recent peak around
    // it: the level in use, or, where the tone has lately been fainter (a
    // fade), that peak; where no peak stands clear in a fade's trough, the
    // level the marks last reached. Called once a step, in order.
    double amplitudeAt(double peak, double confirmed);
    double markScore(int a, int b) const;
    double phaseScore(PhaseReference phase, int a, int b) const;
    // The strength (see KeyRun) of a mark from the anchor up to to.
    double strength(int to) const;
    // The coherence (see KeyRun) of a mark from the anchor up to to.
    double coherence(int to) const;
    // The summed power (|z|^2) of the raw steps from from up to to.
    double powerOf(int from, int to) const;
    // Takes the evidence of a decided mark [from, to) for each reference.
    void learnPhase(int from, int to);
    // The priors of every length tried, for the dot length, weighting and
    // spreads, if any of them moved since they were last worked out.
    void tabulatePriors();
    // A class's length in steps: so many dots, a mark's longer and a gap's
    // shorter by the weighting.
    double markClass(double dots) const;
    double gapClass(double dots) const;
    // Takes the length of a decided mark or gap (steps) into the weighting
    // and the spreads.
    void learnTiming(int length, bool mark);
    // Takes a decided segment's deviation from its class (both in steps)
    // into that class's spread; true if the spread in use moved.
    bool learnSpread(std::size_t which, int length, double classLength);
    // A class of lengths: its centre (steps), and twice the variance of the
    // log of a length around it.
    struct LengthClass {
        double length;
        double logLength;
        double twiceVariance;
        // How well a length (by its log) fits: 1 at the centre.
        double shape(double logOf) const {
            const double dev = logOf - logLength;
            return std::exp(-dev * dev / twiceVariance);
        }
    };
    // The class of this length (steps), spread as the sender's dots, dashes
    // or element gaps (which) are learnt to spread, and by the edges'
    // uncertainty, which weighs more in a short class.
    LengthClass lengthClass(double classLength, std::size_t which) const;
    // How far after a step the recent peak it is scored with is read.
    int peakAheadSteps() const;
    int wordSteps() const;
    int silenceSteps() const;
    int longestMark() const;
    // The segment ends of the best path through the open last segment, from
    // the anchor on.
    void bestPath(std::vector<Boundary>& path) const;
    void decide(bool all, std::vector<KeyRun>& finished);
    void useLevels();
    // Takes the levels of a decided mark [from, to) (offsets), and of the
    // gap from the anchor up to to.
    void learnMark(int from, int to);
    void learnGap(int to);
    void reanchor(int at, bool gapStarts, bool idle);

    double dotSteps_ = 15.0;
    // The weighting in dots, and the decayed sums and counts of decided
    // dots' and element gaps' lengths (dots) it is learnt from.
    double weighting_ = 0.0;
    double dotMarks_ = 0.0;
    double dotMarkCount_ = 0.0;
    double elementGaps_ = 0.0;
    double elementGapCount_ = 0.0;
    // How far the sender's dots, dashes and element gaps spread around
    // their classes beyond the edges' uncertainty (natural log; 0 until
    // learnt), and the decayed sums and counts of the decided ones'
    // deviations they are learnt from, unless they are kept wide.
    using Spreads = std::array<double, 3>;
    Spreads spreads_{};
    Spreads deviations_{};
    Spreads deviationCounts_{};
    bool spreadsLearnt_ = true;
    int stride_ = 1;
    // The levels given, the decided segments' sums, and the levels in use.
    double givenAmplitude_ = 0.0;
    double givenNoisePower_ = 1.0;
    double markAlong_ = 0.0;
    double markSteps_ = 0.0;
    double gapPower_ = 0.0;
    double gapSteps_ = 0.0;
    int gapLearnt_ = 0;  // offset up to which the gap since the anchor counts
    double amplitude_ = 0.0;
    double noisePower_ = 1.0;
    // The level the marks last seen clear of the noise reached, followed
    // down no faster than a fade.
    double clearLevel_ = 0.0;
    int lagSteps_ = 45;
    // The reference the decided marks score best with, and their scores.
    PhaseReference phase_ = PhaseReference::around;
    std::array<double, phaseReferences> phaseEvidence_{};
    bool priorsStale_ = true;
    std::vector<double> markPriors_;  // by length in steps
    std::vector<double> markTails_;
    std::vector<double> gapPriors_;
    std::vector<double> gapTails_;

    // Everything is counted from the anchor: the last decided segment end.
    double anchor_ = 0.0;
    double runStart_ = 0.0;    // where the run in force began (before an idle anchor)
    bool gapAtAnchor_ = true;  // a gap starts at the anchor (else a mark)
    bool idle_ = true;         // that gap is already as long as a word gap
    // Sums of the steps from history_ steps before the anchor; sumTo(t): of
    // those before offset t.
    std::complex<double> sumTo(int t) const {
        const int index = t + history_;
        return prefix_[static_cast<std::size_t>(index)];
    }
    std::vector<std::complex<double>> prefix_;
    int history_ = 0;
    std::vector<double> scores_;       // sums of each step's score as a mark
    std::vector<double> alongs_;       // sums of each step along the tone's phase
    std::vector<double> localScores_;  // the same along the phase close by
    std::vector<double> localAlongs_;
    std::vector<double> markEnds_;  // best score with a mark ending at each offset
    std::vector<double> gapEnds_;   // ... with a gap ending there
    std::vector<int> markFrom_;
    std::vector<int> gapFrom_;
    double longBest_ = none;  // best mark end at least two word gaps ago
    int longFrom_ = 0;
    int longNext_ = 0;
    std::vector<Boundary> path_;
    // Each received step along the tone's phase (both references) and the
    // recent peak up to it, from the absolute step measuredFrom_ on.
    struct StepMeasure {
        double along = 0.0;
        double localAlong = 0.0;
        double peak = 0.0;
        double confirmed = 0.0;  // the second largest top
    };
    EnvelopePeak peak_;
    std::deque<StepMeasure> measured_;
    std::int64_t measuredFrom_ = 0;
};

}  // namespace ditdahl::automatic
