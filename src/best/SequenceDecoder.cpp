#include "best/SequenceDecoder.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::best {
namespace {
constexpr double markSigma = 0.3;  // natural-log spread of marks around 1 and 3 dots
constexpr double gapSigma = 0.35;  // gaps vary more, especially between words
// Taking a mark as part of no known pattern costs this much (natural log of
// probability), once per pattern.
constexpr double garbagePenalty = 10.0;
constexpr double pruneBelowBest = 30.0;

double logNormal(double lengthMs, double classMs, double sigma) {
    const double dev = std::log(std::max(lengthMs, 1e-3) / classMs);
    return -dev * dev / (2.0 * sigma * sigma);
}

// A word gap is "7 dots or more": longer ones are no less likely.
double wordGapScore(double lengthMs, double dotMs) {
    return lengthMs >= 7.0 * dotMs ? 0.0 : logNormal(lengthMs, 7.0 * dotMs, gapSigma);
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
    lastClass_ = 0;
}

double SequenceDecoder::characterPrior(unsigned char code) const {
    if (code >= 'A' && code <= 'Z') return 0.0;
    if (code >= '0' && code <= '9') return -1.0;
    return -2.5;
}

void SequenceDecoder::offer(std::vector<Path>& next, const Path& from, int node, double score, int classDots,
                            const std::string& text, double timeMs) const {
    for (Path& p : next) {
        if (p.node != node) continue;
        if (p.score >= score) return;
        p = from;
        p.node = node;
        p.score = score;
        p.lastClass = classDots;
        if (!text.empty()) p.pending.push_back({text, timeMs});
        return;
    }
    Path p = from;
    p.node = node;
    p.score = score;
    p.lastClass = classDots;
    if (!text.empty()) p.pending.push_back({text, timeMs});
    next.push_back(std::move(p));
}

void SequenceDecoder::settle(std::vector<Path>& next) {
    double best = next.front().score;
    for (const Path& p : next) best = std::max(best, p.score);
    std::erase_if(next, [&](const Path& p) { return p.score < best - pruneBelowBest; });
    // Keeps the scores near zero, and the order fixed for equal scores.
    for (Path& p : next) p.score -= best;
    std::sort(next.begin(), next.end(), [](const Path& a, const Path& b) {
        return a.score != b.score ? a.score > b.score : a.node < b.node;
    });
    paths_ = std::move(next);
    lastClass_ = paths_.front().lastClass;
}

void SequenceDecoder::mark(double lengthMs, double dotMs, double endMs) {
    const double asDot = logNormal(lengthMs, dotMs, markSigma);
    const double asDash = logNormal(lengthMs, 3.0 * dotMs, markSigma);
    const double either = std::max(asDot, asDash);
    const int eitherClass = asDot >= asDash ? 1 : 3;
    std::vector<Path> next;
    for (const Path& p : paths_) {
        if (p.node != garbageNode()) {
            if (nodes_[p.node].child[0] >= 0) offer(next, p, nodes_[p.node].child[0], p.score + asDot, 1, {}, endMs);
            if (nodes_[p.node].child[1] >= 0) offer(next, p, nodes_[p.node].child[1], p.score + asDash, 3, {}, endMs);
            offer(next, p, garbageNode(), p.score + either - garbagePenalty, eitherClass, {}, endMs);
        } else {
            offer(next, p, garbageNode(), p.score + either, eitherClass, {}, endMs);
        }
    }
    settle(next);
}

void SequenceDecoder::gap(double lengthMs, double dotMs, double endMs) {
    const double asElement = logNormal(lengthMs, dotMs, gapSigma);
    const double asLetter = logNormal(lengthMs, 3.0 * dotMs, gapSigma);
    const double asWord = wordGapScore(lengthMs, dotMs);
    std::vector<Path> next;
    for (const Path& p : paths_) {
        if (p.node == 0) {
            // Already between characters (after a pause): nothing to end.
            offer(next, p, 0, p.score, 7, {}, endMs);
            continue;
        }
        offer(next, p, p.node, p.score + asElement, 1, {}, endMs);
        if (p.node == garbageNode()) {
            offer(next, p, 0, p.score + asLetter, 3, {}, endMs);
            offer(next, p, 0, p.score + asWord, 7, " ", endMs);
            continue;
        }
        const unsigned char code = nodes_[p.node].code;
        if (code == 0) continue;
        const std::string text = expandCharacter(code);
        const double prior = characterPrior(code);
        offer(next, p, 0, p.score + asLetter + prior, 3, text, endMs);
        offer(next, p, 0, p.score + asWord + prior, 7, text + " ", endMs);
    }
    settle(next);
}

void SequenceDecoder::pause(double endMs) {
    std::vector<Path> next;
    for (const Path& p : paths_) {
        if (p.node == 0) {
            offer(next, p, 0, p.score, 7, {}, endMs);
        } else if (p.node == garbageNode()) {
            offer(next, p, 0, p.score, 7, " ", endMs);
        } else if (nodes_[p.node].code != 0) {
            const unsigned char code = nodes_[p.node].code;
            offer(next, p, 0, p.score + characterPrior(code), 7, expandCharacter(code) + " ", endMs);
        }
    }
    if (next.empty()) next.push_back(Path{});
    settle(next);
}

void SequenceDecoder::commit(double nowMs, std::string& out) {
    while (!paths_.front().pending.empty() && paths_.front().pending.front().timeMs <= nowMs - lagMs_) {
        const Pending decided = paths_.front().pending.front();
        write(decided, out);
        std::erase_if(paths_, [&](const Path& p) { return p.pending.empty() || !(p.pending.front() == decided); });
        for (Path& p : paths_) p.pending.erase(p.pending.begin());
    }
}

void SequenceDecoder::write(const Pending& decided, std::string& out) {
    if (decided.timeMs > silentUntilMs_) out += decided.text;
    lastDecidedMs_ = std::max(lastDecidedMs_, decided.timeMs);
}

void SequenceDecoder::commitAll(std::string& out) {
    Path best = paths_.front();
    for (const Pending& p : best.pending) write(p, out);
    best.pending.clear();
    paths_.assign(1, best);
}

}  // namespace ditdahl::best
