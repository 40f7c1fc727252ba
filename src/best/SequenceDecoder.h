// The most probable text for a sequence of mark and gap durations: a Viterbi
// search over the Morse code tree in which every mark is a dot or a dash and
// every gap an element, letter or word gap, each duration scored by a
// log-normal law around its class length. Decisions are taken with a fixed
// lag: a character is written once the best path has held it for that long,
// and paths that disagree with it are dropped. Patterns outside the table
// are skipped, never written. Runs on whichever thread feeds the automatic
// receiver.
#pragma once

#include <string>
#include <vector>

#include "morse/MorseTable.h"

namespace ditdahl::best {

class SequenceDecoder {
public:
    explicit SequenceDecoder(const MorseTable& table);

    // Drops every path and all undecided text.
    void reset();
    // Text that ends at or before this time is decided but not written
    // (it was written before a restart).
    void silenceUntil(double timeMs) { silentUntilMs_ = timeMs; }
    // When the last written or silenced text ended.
    double lastDecidedMs() const { return lastDecidedMs_; }
    void setLagMs(double lagMs) { lagMs_ = lagMs; }

    // A mark or a gap between marks, its length and the dot length at the
    // time; endMs is when it ended.
    void mark(double lengthMs, double dotMs, double endMs);
    void gap(double lengthMs, double dotMs, double endMs);
    // A pause longer than any gap within a word: ends the word.
    void pause(double endMs);

    // Appends the text decided by nowMs: what the best path has held for the
    // lag.
    void commit(double nowMs, std::string& out);
    // Appends everything the best path holds.
    void commitAll(std::string& out);

    // The class (1, 3 or 7 dots) that the best path gave the last mark or
    // gap, 0 when none.
    int lastClassDots() const { return lastClass_; }

private:
    struct Node {
        int child[2] = {-1, -1};  // '.', '-'
        unsigned char code = 0;   // 0: no character ends here
    };
    struct Pending {
        std::string text;
        double timeMs = 0.0;
        bool operator==(const Pending&) const = default;
    };
    struct Path {
        int node = 0;
        double score = 0.0;
        int lastClass = 0;
        std::vector<Pending> pending;
    };

    void write(const Pending& decided, std::string& out);
    int garbageNode() const { return static_cast<int>(nodes_.size()); }
    void offer(std::vector<Path>& next, const Path& from, int node, double score, int classDots,
               const std::string& text, double timeMs) const;
    void settle(std::vector<Path>& next);
    double characterPrior(unsigned char code) const;

    std::vector<Node> nodes_;
    std::vector<Path> paths_;
    double lagMs_ = 500.0;
    double silentUntilMs_ = -1.0;
    double lastDecidedMs_ = -1.0;
    int lastClass_ = 0;
};

}  // namespace ditdahl::best
