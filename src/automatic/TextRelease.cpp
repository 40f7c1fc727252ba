#include "automatic/TextRelease.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace ditdahl::automatic {
namespace {
// Text decided while the gate, open before, has been shut for less than
// this is held back, and written if it opens again: near the noise, the
// durations it judges stray for a few seconds now and then.
constexpr double briefShutMs = 8000.0;
// Text held while the gate cannot judge yet (the buffer's 15 s at 50 wpm).
constexpr std::size_t heldCapacity = 256;
// Text decided while the followed tone has not stood out for this long is
// another station's leakage or noise: it is dropped, not held. (The tone
// search lets go of a tone sooner; a channel of the band decoder keeps its
// signal for longer, in case it comes back.)
constexpr double longestAwayMs = 3000.0;
}  // namespace

bool TextRelease::shutLately(double nowMs) const { return shutAtMs_ && nowMs - *shutAtMs_ < briefShutMs; }

void TextRelease::write(const std::string& decided, Gates gates, double nowMs, double lastReadMs,
                        double lastDecidedMs) {
    // The decision lags the gate: text read before the gate shut (the end of
    // a transmission, before the noise after it shut the gate) was heard
    // while it was open. Text read later is not, even if its marks came
    // before the shut: static crashes that opened the gate for a moment are
    // read as letters seconds after they shut it again.
    const bool shut = !gates.open && !(openUntilMs_ && lastReadMs <= *openUntilMs_);
    const bool briefShut = shut && shutAtMs_ && nowMs - *shutAtMs_ < briefShutMs;
    // Over buffered audio the tone's standing is not known step by step.
    if (toneStands_ || catchingUp_) {
        awaySinceMs_.reset();
    } else if (!awaySinceMs_) {
        awaySinceMs_ = nowMs;
    }
    if (awaySinceMs_ && nowMs - *awaySinceMs_ >= longestAwayMs) {
        forgetHeld();
        return;
    }
    if (catchingUp_ || !toneStands_ || gates.undecided || briefShut) {
        held_ += decided;
        if (!awaySinceMs_ || lastDecidedMs <= *awaySinceMs_) {
            heldHeard_ = held_.size();
            heardUntilMs_ = lastDecidedMs;
        }
        if (held_.size() > heldCapacity) {
            const std::size_t dropped = held_.size() - heldCapacity;
            held_.erase(0, dropped);
            heldHeard_ -= std::min(heldHeard_, dropped);
        }
        return;
    }
    std::string text = std::move(held_);
    forgetHeld();
    text += decided;
    if (text.empty() || shut) return;
    writeOut(text, lastDecidedMs);
}

void TextRelease::writeHeard(Gates gates) {
    if (gates.open && !gates.undecided && heldHeard_ > 0) writeOut(held_.substr(0, heldHeard_), heardUntilMs_);
    forgetHeld();
}

void TextRelease::writeOut(const std::string& text, double lastDecidedMs) {
    std::string out;
    for (char c : text) {
        const bool blank = c == ' ';
        if (blank && lastWasBlank_) continue;
        lastWasBlank_ = blank;
        out += c;
    }
    if (out.empty()) return;
    writtenUntilMs_ = lastDecidedMs;
    listener_.text(out);
}

}  // namespace ditdahl::automatic
