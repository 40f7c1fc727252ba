// Writes the decoded text to the listener only while the quality gate is
// open. Text decided while the gate cannot judge yet, while the buffered
// audio is decoded, or while the gate, open before, is shut for a moment in
// a long transmission, is held back and written once it opens. Runs on
// whichever thread feeds the automatic receiver.
#pragma once

#include <optional>
#include <string>

#include "automatic/ReceiverListener.h"

namespace ditdahl::automatic {

class TextRelease {
public:
    explicit TextRelease(ReceiverListener& listener) : listener_(listener) {}

    // A new run of decoding starts: its first blank is not written.
    void startDecoding() {
        lastWasBlank_ = true;
        awaySinceMs_.reset();
    }
    void setCatchingUp(bool catchingUp) { catchingUp_ = catchingUp; }
    // While the followed tone does not stand out, text is held: written if
    // it stands again, dropped if it is let go or stays away 3 s.
    void setToneStands(bool stands) { toneStands_ = stands; }
    // The gate, open before (or undecided over buffered audio), shut at
    // this time.
    void gateShut(double timeMs) { shutAtMs_ = timeMs; }
    // The gate, open, shut at this time: text about the audio before it is
    // written all the same.
    void gateClosed(double timeMs) {
        shutAtMs_ = timeMs;
        openUntilMs_ = timeMs;
    }
    void forgetShut() {
        shutAtMs_.reset();
        openUntilMs_.reset();
    }
    void forgetHeld() { held_.clear(); }
    // The gate, open before, shut a moment ago: text is being held.
    bool shutLately(double nowMs) const;

    // What the quality gates say now: one is open, or none can judge yet.
    struct Gates {
        bool open = false;
        bool undecided = false;
    };
    // Writes, holds or drops the text decided by now. lastReadMs: when the
    // decoder read the last of it; lastDecidedMs: when its last mark ended
    // (what the text written reaches to).
    void write(const std::string& decided, Gates gates, double nowMs, double lastReadMs, double lastDecidedMs);
    // The decoder's time of the last text written; none before any.
    std::optional<double> writtenUntilMs() const { return writtenUntilMs_; }

private:
    ReceiverListener& listener_;
    std::string held_;
    bool catchingUp_ = false;
    bool toneStands_ = true;
    std::optional<double> awaySinceMs_;  // when the tone last stopped standing out
    std::optional<double> shutAtMs_;
    std::optional<double> openUntilMs_;
    bool lastWasBlank_ = true;
    std::optional<double> writtenUntilMs_;
};

}  // namespace ditdahl::automatic
