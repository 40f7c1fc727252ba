// The most probable text for a sequence of mark and gap durations: a Viterbi
// search over the Morse code tree in which every mark is a dot or a dash
// and every gap an element, letter or word gap, each duration scored by a
// log-normal law around its class length; a gap is scored when the mark
// after it arrives (or the word ends). Decisions are taken with a fixed
// lag: a character is written once the best path has held it for that long
// (longer while a path at another speed that reads it otherwise is close),
// and paths that disagree with it are dropped. Paths at other speeds outlive
// the end of a word, so that evidence for a change of speed adds up.
// Patterns outside the table are skipped, never written. Runs on whichever
// thread feeds the automatic receiver.
#pragma once

#include <string>
#include <vector>

#include "base/MorseTable.h"

namespace ditdahl::automatic {

class SequenceDecoder {
public:
    explicit SequenceDecoder(const MorseTable& table);

    // Drops every path and all undecided text.
    void reset();
    void setLagMs(double lagMs) { lagMs_ = lagMs; }
    // The sender's letter and word gaps, in dots (3 and 7 unless set).
    void setGapClasses(double letterDots, double wordDots) {
        letterDots_ = letterDots;
        wordDots_ = wordDots;
    }
    // Text that ends at or before this time (within a dot: read again, a
    // letter's last edge may move by a step or two) is decided but not
    // written (it was written before a restart).
    void silenceUntil(double timeMs) { silentUntilMs_ = timeMs; }
    // When the last mark of the last written or silenced text ended, and
    // when that text was read (the gap after it ended, or the word end was
    // noticed).
    double lastDecidedMs() const { return lastDecidedMs_; }
    double lastReadMs() const { return lastReadMs_; }

    // The tracked dot length changed: each path keeps the speed it reads at,
    // now as a factor of the new dot.
    void followDot(double dotMs);

    // A mark: its length, the dot length at the time, when it ended, and, if
    // known, its amplitude along the carrier over the level of the sender's
    // marks and how much likelier it is under the tone than under noise
    // (natural log).
    void mark(double lengthMs, double dotMs, double endMs, double strength = 1.0, double evidence = 0.0);
    // A gap between marks.
    void gap(double lengthMs);
    // A pause longer than any gap within a word: ends the word.
    void pause(double endMs);

    // Appends the text decided by nowMs: what the best path has held for the
    // lag.
    void commit(double nowMs, std::string& out);
    // Appends everything the best path holds.
    void commitAll(std::string& out);
    // At a word's end: appends everything the best path holds, unless a
    // path at another speed close to it reads the word otherwise (a run of
    // like marks and gaps fits dots of a slower sender as well as dashes of
    // a faster one); then the words that follow decide, as in commit.
    void commitWord(double nowMs, std::string& out);
    // Forgets the word read since the last pause (taken for noise): back to
    // the paths as they stood then, still holding what they held.
    void dropWord();
    // How much longer than the tracked dot the sender's dot may be: the
    // slowest speed read by a path near the best.
    double slowestLikelySpeedFactor() const;

private:
    struct Node {
        int child[2] = {-1, -1};  // '.', '-'
        unsigned char code = 0;   // 0: no character ends here
    };
    struct Pending {
        std::string text;
        double timeMs = 0.0;  // when it was read: its gap ended
        double endMs = 0.0;   // when its last mark ended
        bool operator==(const Pending&) const = default;
    };
    struct Path {
        int node = 0;
        double score = 0.0;
        bool gapOpen = false;  // a gap follows the last mark, not yet scored
        int speed = 0;         // the speed it reads at, as an index of speedFactors
        double gapMs = 0.0;
        double markEndMs = 0.0;  // of its last mark
        // Paid for taking up its speed beyond what taking it up at the
        // tracked speed costs.
        double refundable = 0.0;
        std::vector<Pending> pending;
    };

    int garbageNode() const { return static_cast<int>(nodes_.size()); }
    // One way a path reads on to its next mark: where its open gap ends
    // (within the letter, or after it, at a speed), and what that scores.
    struct Closing {
        enum Ends { none, letter, letterAndWord };
        int node;
        int speed;
        double score;
        Ends ends;
    };
    // The ways the open gap of a path can end before its next mark (without
    // one: the path as it is, or a word's first mark at every speed), or at
    // a pause, the word's end.
    void closings(const Path& p, double dotMs, bool endOfWord, std::vector<Closing>& out) const;
    // The path so read on, its letter (and word space) pending at timeMs.
    Path closed(const Path& p, const Closing& c, double timeMs) const;
    static double speedChangeCost(int from, int to);
    // How unlike the sender's marks a mark is (natural log, 0 or less).
    static double unlikeTheSender(double lengthMs, double dotMs, double strength, double evidence);
    // Where a path at this node, gap state and speed with this score goes
    // among those offered: in the place of the one alike to it, or in a new
    // place at the end; none where the one alike scores at least as well.
    static Path* placeFor(std::vector<Path>& next, int node, bool gapOpen, int speed, double score);
    // Keeps the better of the candidate and the path alike to it.
    static void offer(std::vector<Path>& next, Path candidate);
    void settle(std::vector<Path>& next);
    void write(const Pending& decided, std::string& out);
    // Keeps the paths that read the text written so, without it.
    static void passWritten(std::vector<Path>& paths, const Pending& decided);
    // The path reads at another speed than the best, and comes close to it.
    bool closeAtOtherSpeed(const Path& p) const;
    // A path at another speed close to the best reads the letter otherwise,
    // and the letter is not yet so old that it must be written.
    bool rivalAtOtherSpeed(const Pending& decided, double nowMs) const;

    std::vector<Node> nodes_;
    std::vector<Path> paths_;
    double lagMs_ = 500.0;
    double letterDots_ = 3.0;
    double wordDots_ = 7.0;
    double silentUntilMs_ = -1.0;
    double lastDecidedMs_ = -1.0;
    double lastReadMs_ = -1.0;
    // The paths at the last word's end, while they hold its text back, and
    // the tracked dot their speeds were factors of.
    std::vector<Path> heldAtPause_;
    double heldDotMs_ = 0.0;
    double pathsDotMs_ = 0.0;  // the tracked dot the paths' speeds are factors of
};

}  // namespace ditdahl::automatic
