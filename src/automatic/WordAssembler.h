// Turns the likelihood decision's marks and gaps into words: the sequence
// decoder reads them, and a word of one or two lone elements next to a long
// silence is taken for noise. Until the sender's spacing is learnt, the runs
// are kept and read only once it is (or after a few seconds, or at the end):
// a first word of stretched spacing would otherwise be split into letters.
// Runs on whichever thread feeds the automatic receiver.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "automatic/GapClasses.h"
#include "automatic/KeyEdges.h"
#include "automatic/SequenceDecoder.h"
#include "base/MorseTable.h"

namespace ditdahl::automatic {

class WordAssembler {
public:
    explicit WordAssembler(const MorseTable& table) : decoder_(table) {}

    // Starts afresh at the given step; what was written up to writtenUntilMs
    // is decided again but not written.
    void start(double step, std::optional<double> writtenUntilMs, double lagMs);
    // The tracked speed changed.
    void followDot(double dotMs, double lagMs) {
        decoder_.followDot(dotMs);
        decoder_.setLagMs(lagMs);
    }
    // Learns the sender's spacing from gaps found before (on the same audio).
    void learnGaps(const std::vector<double>& gapsMs, double dotMs);
    // While the audio whose gaps were learnt so is read, its gaps are not
    // counted again: counted twice, the two word gaps of "R R" pass for a
    // sender's letter gaps.
    void rereadLearntAudio(bool rereading) { rereading_ = rereading; }
    void take(const KeyRun& run, double dotMs);

    bool inWord() const { return !learning_ && marksInWord_ > 0; }
    // How many dots of decided silence end the word.
    double wordEndDots() const;
    // Decides the word so far, or drops it as noise; also what was kept
    // while the spacing was learnt.
    void endWord(double timeMs, std::string& decided);
    // Writes what the decoder has decided by now; stray elements wait to be
    // judged as a whole.
    void commit(double nowMs, std::string& decided);
    // Writes what the decoder still holds back (the tone was let go, or the
    // audio ended).
    void flush(std::string& decided) { decoder_.commitAll(decided); }
    // Drops whatever the decoder still holds.
    void forget() { decoder_.reset(); }
    double lastDecidedMs() const { return decoder_.lastDecidedMs(); }
    double lastReadMs() const { return decoder_.lastReadMs(); }

private:
    // The word so far is one or two elements, each a letter of its own.
    // Only faint ones are taken for noise: noise passes for a mark only
    // just, and a clear E or T sent alone (as in "TU E E") must stand; so
    // must two that each carry a clear mark's evidence, one of them clear
    // (the first E of "E E" on a fade's way up is still faint against the
    // level learnt at its peak). Taken for noise too: a letter of two whose
    // marks are both much fainter along the carrier than the sender's (a
    // neighbour's key-down as it leaks into the followed tone, its phase
    // turning), and a word of any length after a long silence none of whose
    // marks carries a clear mark's evidence, weaker than the sender's on the
    // whole: once he has stopped, a neighbour's keying leaks in as a run of
    // faint E's and I's. So is a word of any length whose marks are all
    // shorter than a dot, none of them clear: static crashes ring the filter
    // that briefly, and a run of them after a transmission is read as E's
    // and I's.
    bool strayElements() const {
        if (marksInWord_ < 1) return false;
        const bool standsClear = allClear_ || (allEvident_ && anyClear_);
        if (marksInWord_ <= 2 && (allFaint_ || (!joined_ && !standsClear))) return true;
        if (allShort_ && !anyClear_) return true;
        // A word of which no more than one mark stays in phase is not on
        // the followed tone: a louder neighbour's leak through the filter's
        // skirt (among a dozen of its marks, one may pass by chance). Nor
        // is one whose marks turn out of phase more often than not: marks
        // too short to tell count as in phase, and a neighbour's short
        // ones would carry its word.
        const int turning = marksInWord_ - coherentMarks_;
        if (coherentMarks_ < std::min(marksInWord_, 2) || turning > coherentMarks_) return true;
        return quietBefore_ && !anyEvident_ && strengthSum_ < leakStrength * marksInWord_;
    }
    // A clear mark's evidence at 20 wpm; a faster sender's dots are shorter
    // and carry less.
    static constexpr double clearMarkEvidence = 20.0;
    static constexpr double clearEvidenceDotMs = 60.0;
    static constexpr double clearMarkStrength = 0.75;
    static constexpr double faintMarkStrength = 0.3;
    static constexpr double leakStrength = 0.8;
    static constexpr double alikeShare = 0.5;
    static constexpr double alikeEvidenceShare = 0.5;
    static constexpr double toneEvidenceFactor = 4.0;
    static constexpr double crashShorterThanDots = 0.8;
    // Noise alone keeps about a fifth of its power in phase over the
    // coherence spans, a tone on the mixer nearly all of it, down to half
    // 9 dB under the noise.
    static constexpr double coherentMark = 0.3;

    void learnGap(double dots);
    void read(const KeyRun& run, double dotMs);
    // The mark's strength as the decoder weighs it: over the mark before
    // (given), or after a pause over the last mark before it, until one
    // after the pause is alike to that. Where a slow sender's word gap
    // outlasts the level's window, the level sinks to the noise's and blips
    // of noise pass for faint marks: taken each against the one before,
    // the first of a pause would count in full and the second as alike.
    double shareOfSender(const KeyRun& run, bool neighbour, double strength);
    // Reads a mark, and judges the word so far by it.
    void readMark(const KeyRun& run, double dotMs);
    void keep(const KeyRun& run, double dotMs);
    // Reads what was kept, at the spacing learnt by now.
    void readKept();
    // No word begun, no mark before.
    void startReading();

    struct KeptRun {
        KeyRun run;
        double dotMs = 0.0;
    };
    // How long after the first kept mark they are read at whatever spacing
    // is known, so that a short transmission is not held for long (long
    // enough for the first four gaps of a stretched spacing).
    static constexpr double longestKeptMs = 6000.0;

    SequenceDecoder decoder_;
    GapClasses gaps_;
    double startStep_ = 0.0;
    int marksInWord_ = 0;
    bool quietBefore_ = true;     // a long silence came before this word
    bool joined_ = false;         // two of its elements were within one letter
    bool allClear_ = false;       // every mark of it stands clear of the noise
    bool allFaint_ = false;       // every mark of it is faint along the carrier
    bool allShort_ = false;       // every mark of it is shorter than a crash rings
    bool anyEvident_ = false;     // some mark of it carries a clear mark's evidence
    bool allEvident_ = false;     // every mark of it does
    bool anyClear_ = false;       // some mark of it stands clear of the noise
    int coherentMarks_ = 0;       // of its marks, those that stay in phase (are on the tone)
    double strengthSum_ = 0.0;    // of its marks
    double lastAmplitude_ = 0.0;  // of the mark before, 0 at the start
    bool lastClear_ = false;      // the mark before stood clear (or was alike to one that did)
    double lastMarkEnd_ = 0.0;
    double lastMarkMiddle_ = 0.0;
    double senderAmplitude_ = 0.0;   // of the last mark taken for the sender's
    double senderMarkMiddle_ = 0.0;  // and its middle
    bool faintSincePause_ = false;   // every mark since a pause was faint against it
    bool learning_ = false;          // runs are kept until the spacing is learnt
    bool rereading_ = false;         // the runs' gaps were learnt before
    std::optional<double> firstKeptMarkMs_;
    std::vector<KeptRun> kept_;
    std::string readFromKept_;
};

}  // namespace ditdahl::automatic
