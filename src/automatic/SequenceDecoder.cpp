#include "automatic/SequenceDecoder.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {
namespace {
constexpr double markSigma = 0.3;  // natural-log spread of marks around 1 and 3 dots
constexpr double gapSigma = 0.35;  // gaps vary more, especially between words
// Taking a mark as part of no known pattern costs this much (natural log of
// probability), once per pattern.
constexpr double garbagePenalty = 10.0;
constexpr double pruneBelowBest = 30.0;
// A mark may be read as noise, at a price. A mark's amplitude along the
// carrier over that of the mark before spreads this much beside what the
// noise adds; marks through a fade differ by half and more without being
// noise, so only fainter ones are weighed.
constexpr double noisePenalty = 3.0;
constexpr double strengthSpread = 0.1;
constexpr double faintBelow = 0.5;
// A crash is over within 20 ms and passes, rung out by the receiver's
// filter and smoothed by the decision, for a mark of 90 ms at most, far
// shorter than a dash: a faint mark as long as a dash, or longer than that,
// is the sender's, however deep a fade has taken it (a slow sender's dot
// 12 dB down on a fade falling 15 dB a second).
constexpr double faintLongestDots = 2.0;
constexpr double crashLongestMs = 90.0;
// Through a fade the level lags and marks come out up to about twice as
// strong; a crash in phase is also shorter than a dot.
constexpr double loudAbove = 1.5;
constexpr double loudSpread = 0.3;
constexpr double crashDots = 0.8;
// A blip this much shorter than a dot is noise at this price, however strong;
// at less inside a word, after a letter, where no sender's element is so
// short (the first mark after a pause may be, cut short where the decision
// takes up a transmission).
constexpr double blipDots = 0.5;
constexpr double blipPenalty = 6.0;
constexpr double blipInWordPenalty = 4.0;
// A sender who changes speed is followed by the tracker only after a few
// characters, and what comes first would be read at the old speed (slow
// dots as dashes, slow letter gaps as word gaps). So each path may also read
// on at a speed this much off the tracked one, taken up at a letter's end at
// a price that a letter or two sent at that speed pays back; going back to
// the tracked speed costs little, as the tracker catches up.
constexpr double speedFactors[] = {1.0, 1.8, 1.4, 1.0 / 1.4, 1.0 / 1.8};
constexpr double speedChangePenalty = 5.0;
constexpr double trackedSpeedPenalty = 1.0;
// A path at another speed that has fallen this far behind is no longer
// about to explain the durations better; dropping it early keeps the
// search as small as a single speed's.
constexpr double pruneOtherSpeedBelowBest = 12.0;
// A letter is written only when no path at another speed that reads it
// otherwise comes this close to the best, or once it is this many lags
// old, counted at the rival's speed where it is slower (its next letter
// comes that much later): the first letter after a change of speed is where
// the tracked speed still leads.
constexpr double rivalWithin = 3.0;
constexpr double rivalLagFactor = 5.0;
// A slower reading this close to the best may still pay for its change with
// the next letter: the word is not ended at the tracked speed's word gap.
constexpr double slowerWithin = 6.0;
// Once the tracked dot has moved this far (natural log), the paths' speeds
// are taken as factors of the new one.
constexpr double rebaseBeyond = 0.15;

double logNormal(double lengthMs, double classMs, double sigma) {
    const double dev = std::log(std::max(lengthMs, 1e-3) / classMs);
    return -dev * dev / (2.0 * sigma * sigma);
}

// A word gap is "as long as the word class or more": longer ones are no
// less likely.
double wordGapScore(double lengthMs, double wordMs) {
    return lengthMs >= wordMs ? 0.0 : logNormal(lengthMs, wordMs, gapSigma);
}
}  // namespace

SequenceDecoder::SequenceDecoder(const MorseTable& table) {
    nodes_.push_back({});
    for (int code = 1; code < 256; ++code) {
        const std::string_view pattern = table.pattern(static_cast<unsigned char>(code));
        if (pattern.empty()) continue;
        int node = 0;
        for (char element : pattern) {
            const int e = element == '-' ? 1 : 0;
            if (nodes_[node].child[e] < 0) {
                nodes_[node].child[e] = static_cast<int>(nodes_.size());
                nodes_.push_back({});
            }
            node = nodes_[node].child[e];
        }
        nodes_[node].code = static_cast<unsigned char>(code);
    }
    reset();
}

void SequenceDecoder::reset() {
    paths_.assign(1, Path{});
    heldAtPause_.clear();
    pathsDotMs_ = 0.0;
}

void SequenceDecoder::followDot(double dotMs) {
    if (pathsDotMs_ <= 0.0) pathsDotMs_ = dotMs;
    if (std::abs(std::log(dotMs / pathsDotMs_)) < rebaseBeyond) return;
    std::vector<Path> next;
    for (Path& p : paths_) {
        const double own = speedFactors[p.speed] * pathsDotMs_;
        int nearest = 0;
        for (int k = 1; k < static_cast<int>(std::size(speedFactors)); ++k)
            if (std::abs(std::log(speedFactors[k] * dotMs / own)) <
                std::abs(std::log(speedFactors[nearest] * dotMs / own)))
                nearest = k;
        // A path that took up this speed before the tracker did paid the
        // full price for it; one that waits for the tracker pays only the
        // small one, so the first is paid back the difference.
        if (nearest == 0 && p.speed != 0) {
            p.score += p.refundable;
            p.refundable = 0.0;
        }
        p.speed = nearest;
        offer(next, std::move(p));
    }
    pathsDotMs_ = dotMs;
    settle(next);
}

SequenceDecoder::Path* SequenceDecoder::placeFor(std::vector<Path>& next, int node, bool gapOpen, int speed,
                                                 double score) {
    for (Path& p : next) {
        if (p.node != node || p.gapOpen != gapOpen || p.speed != speed) continue;
        return score > p.score ? &p : nullptr;
    }
    return &next.emplace_back();
}

void SequenceDecoder::offer(std::vector<Path>& next, Path candidate) {
    if (Path* place = placeFor(next, candidate.node, candidate.gapOpen, candidate.speed, candidate.score))
        *place = std::move(candidate);
}

void SequenceDecoder::settle(std::vector<Path>& next) {
    double best = next.front().score;
    for (const Path& p : next) best = std::max(best, p.score);
    std::erase_if(next, [&](const Path& p) {
        return p.score < best - (p.speed == 0 ? pruneBelowBest : pruneOtherSpeedBelowBest);
    });
    // Keeps the scores near zero, and the order fixed for equal scores.
    for (Path& p : next) p.score -= best;
    std::sort(next.begin(), next.end(), [](const Path& a, const Path& b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.node != b.node) return a.node < b.node;
        return a.gapOpen != b.gapOpen ? a.gapOpen < b.gapOpen : a.speed < b.speed;
    });
    paths_ = std::move(next);
}

void SequenceDecoder::closings(const Path& p, double dotMs, bool endOfWord, std::vector<Closing>& out) const {
    if (!p.gapOpen && !endOfWord) {
        if (p.node != 0) {
            out.push_back({p.node, p.speed, p.score, Closing::none});
            return;
        }
        // A word's first mark: at the path's speed, and at every other for a
        // price.
        for (int speed = 0; speed < static_cast<int>(std::size(speedFactors)); ++speed)
            out.push_back({0, speed, p.score - speedChangeCost(p.speed, speed), Closing::none});
        return;
    }
    if (p.node == 0) {
        out.push_back({0, p.speed, p.score, Closing::none});
        return;
    }
    const bool ends = p.node == garbageNode() || nodes_[p.node].code != 0;
    // The letter and the word space are decided apart: paths that read the
    // letter alike but not the gap after it (one at another speed) both
    // live on once the letter is written.
    if (endOfWord) {
        if (ends) out.push_back({0, p.speed, p.score, Closing::letterAndWord});
        return;
    }
    const double g = p.gapMs;
    const double dot = dotMs * speedFactors[p.speed];
    out.push_back({p.node, p.speed, p.score + logNormal(g, dot, gapSigma), Closing::none});
    if (!ends) return;
    // The gap after a letter belongs to the letter that follows: a sender
    // who speeds up or slows down changes it with the next letter.
    for (int speed = 0; speed < static_cast<int>(std::size(speedFactors)); ++speed) {
        const double next = dotMs * speedFactors[speed];
        const double letterEnds[] = {logNormal(g, letterDots_ * next, gapSigma), wordGapScore(g, wordDots_ * next)};
        for (int word = 0; word < 2; ++word)
            out.push_back({0, speed, p.score + (letterEnds[word] - speedChangeCost(p.speed, speed)),
                           word != 0 ? Closing::letterAndWord : Closing::letter});
    }
}

SequenceDecoder::Path SequenceDecoder::closed(const Path& p, const Closing& c, double timeMs) const {
    Path q = p;
    q.gapOpen = false;
    q.gapMs = 0.0;
    q.node = c.node;
    if (c.speed != p.speed) q.refundable = c.speed != 0 ? speedChangePenalty - trackedSpeedPenalty : 0.0;
    q.speed = c.speed;
    q.score = c.score;
    if (c.ends != Closing::none) {
        const unsigned char code = p.node == garbageNode() ? 0 : nodes_[p.node].code;
        if (code) q.pending.push_back({expandCharacter(code), timeMs, p.markEndMs});
        if (c.ends == Closing::letterAndWord) q.pending.push_back({" ", timeMs, p.markEndMs});
    }
    return q;
}

double SequenceDecoder::speedChangeCost(int from, int to) {
    if (from == to) return 0.0;
    return to == 0 ? trackedSpeedPenalty : speedChangePenalty;
}

// A mark much fainter along the carrier's phase than the sender's marks, by
// more than the noise explains, may be noise: a static crash out of phase
// with the carrier. So may one far louder and shorter than a dot: a crash in
// phase. Read so, the gap it fell in goes on.
double SequenceDecoder::unlikeTheSender(double lengthMs, double dotMs, double strength, double evidence) {
    if (evidence > 0.0 && strength < faintBelow && lengthMs < std::min(faintLongestDots * dotMs, crashLongestMs)) {
        const double spread = strengthSpread * strengthSpread + 1.0 / (2.0 * evidence);
        return -(1.0 - strength) * (1.0 - strength) / (2.0 * spread);
    }
    if (strength > loudAbove && lengthMs < crashDots * dotMs) return logNormal(strength, 1.0, loudSpread);
    return 0.0;
}

void SequenceDecoder::mark(double lengthMs, double dotMs, double endMs, double strength, double evidence) {
    followDot(dotMs);
    const double startMs = endMs - lengthMs;
    std::vector<Path> next;
    std::vector<Closing> ways;
    const double unlike = unlikeTheSender(lengthMs, dotMs, strength, evidence);
    // A blip far shorter than a dot may be noise whatever its strength.
    const bool blip = lengthMs < blipDots * dotMs;
    if (unlike < -noisePenalty || blip) {
        for (const Path& p : paths_) {
            Path q = p;
            if (q.gapOpen) q.gapMs += lengthMs;
            q.score -= unlike < -noisePenalty ? noisePenalty : (q.gapOpen ? blipInWordPenalty : blipPenalty);
            offer(next, std::move(q));
        }
    }
    for (const Path& p : paths_) {
        ways.clear();
        closings(p, dotMs, false, ways);
        for (const Closing& c : ways) {
            const double dot = dotMs * speedFactors[c.speed];
            const double asDot = logNormal(lengthMs, dot, markSigma) + unlike;
            const double asDash = logNormal(lengthMs, 3.0 * dot, markSigma) + unlike;
            const double either = std::max(asDot, asDash);
            auto step = [&](int node, double score) {
                // Most steps lose to a path already offered: those are not
                // made at all.
                Path* place = placeFor(next, node, false, c.speed, c.score + score);
                if (!place) return;
                Path q = closed(p, c, startMs);
                q.node = node;
                q.score += score;
                q.markEndMs = endMs;
                *place = std::move(q);
            };
            if (c.node != garbageNode()) {
                if (nodes_[c.node].child[0] >= 0) step(nodes_[c.node].child[0], asDot);
                if (nodes_[c.node].child[1] >= 0) step(nodes_[c.node].child[1], asDash);
                step(garbageNode(), either - garbagePenalty);
            } else {
                step(garbageNode(), either);
            }
        }
    }
    settle(next);
}

void SequenceDecoder::gap(double lengthMs) {
    for (Path& p : paths_) {
        // Silence before any element of a word changes nothing.
        if (p.node == 0 && !p.gapOpen) continue;
        p.gapOpen = true;
        p.gapMs += lengthMs;
    }
}

void SequenceDecoder::pause(double endMs) {
    std::vector<Path> next;
    std::vector<Closing> ways;
    for (const Path& p : paths_) {
        ways.clear();
        closings(p, 0.0, true, ways);
        for (const Closing& c : ways) offer(next, closed(p, c, endMs));
    }
    if (next.empty()) next.push_back(Path{});
    settle(next);
}

bool SequenceDecoder::closeAtOtherSpeed(const Path& p) const {
    const Path& best = paths_.front();
    return p.speed != best.speed && p.score >= best.score - rivalWithin;
}

bool SequenceDecoder::rivalAtOtherSpeed(const Pending& decided, double nowMs) const {
    const Path& best = paths_.front();
    return std::any_of(paths_.begin() + 1, paths_.end(), [&](const Path& p) {
        const double patienceMs =
            rivalLagFactor * lagMs_ * std::max(1.0, speedFactors[p.speed] / speedFactors[best.speed]);
        return closeAtOtherSpeed(p) && decided.timeMs > nowMs - patienceMs &&
               (p.pending.empty() || !(p.pending.front() == decided));
    });
}

void SequenceDecoder::commit(double nowMs, std::string& out) {
    while (!paths_.front().pending.empty() && paths_.front().pending.front().timeMs <= nowMs - lagMs_) {
        const Pending decided = paths_.front().pending.front();
        if (rivalAtOtherSpeed(decided, nowMs)) return;
        write(decided, out);
        passWritten(paths_, decided);
        passWritten(heldAtPause_, decided);
    }
}

void SequenceDecoder::write(const Pending& decided, std::string& out) {
    if (decided.endMs > silentUntilMs_ + pathsDotMs_) out += decided.text;
    lastDecidedMs_ = std::max(lastDecidedMs_, decided.endMs);
    lastReadMs_ = std::max(lastReadMs_, decided.timeMs);
}

void SequenceDecoder::commitWord(double nowMs, std::string& out) {
    const bool rival = std::any_of(paths_.begin() + 1, paths_.end(), [&](const Path& p) {
        return closeAtOtherSpeed(p) && p.pending != paths_.front().pending;
    });
    if (!rival) {
        commitAll(out);
        return;
    }
    commit(nowMs, out);
    heldAtPause_ = paths_;
    heldDotMs_ = pathsDotMs_;
}

void SequenceDecoder::dropWord() {
    if (heldAtPause_.empty()) {
        reset();
        return;
    }
    paths_ = heldAtPause_;
    pathsDotMs_ = heldDotMs_;
}

void SequenceDecoder::passWritten(std::vector<Path>& paths, const Pending& decided) {
    std::erase_if(paths, [&](const Path& p) { return p.pending.empty() || !(p.pending.front() == decided); });
    for (Path& p : paths) p.pending.erase(p.pending.begin());
}

void SequenceDecoder::commitAll(std::string& out) {
    for (const Pending& p : paths_.front().pending) write(p, out);
    // The paths at other speeds live on with their scores: a word or two
    // read at the old speed may not pay for the change yet, the next word
    // then does.
    for (Path& p : paths_) p.pending.clear();
    heldAtPause_.clear();
}

double SequenceDecoder::slowestLikelySpeedFactor() const {
    double slowest = speedFactors[paths_.front().speed];
    for (const Path& p : paths_)
        if (p.score >= paths_.front().score - slowerWithin) slowest = std::max(slowest, speedFactors[p.speed]);
    return slowest;
}

}  // namespace ditdahl::automatic
