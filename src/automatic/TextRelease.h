// Writes the decoded text to the listener only while the quality gate is
// open. Text decided while the gate cannot judge yet, while the buffered
// audio is decoded, or while the gate, open before, is shut for a moment in
// a long transmission, is held back and written once it opens. Runs on
// whichever thread feeds the automatic receiver.
#pragma once

#include <cstddef>
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
    // it stands again, dropped if it stays away 3 s; when the station is
    // left, see writeHeard.
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
    void forgetHeld() {
        held_.clear();
        heldHeard_ = 0;
    }
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
    // The followed station is left (another is taken up, or none): of the
    // text held, what ends with a mark heard while its tone still stood out
    // is the end of its transmission (a short over is decided only after
    // it), and is written if the gate is open; the rest is dropped.
    void writeHeard(Gates gates);
    // The decoder's time of the last text written; none before any.
    std::optional<double> writtenUntilMs() const { return writtenUntilMs_; }

private:
    // Writes the text, a run of blanks as one.
    void writeOut(const std::string& text, double lastDecidedMs);

    ReceiverListener& listener_;
    std::string held_;
    std::size_t heldHeard_ = 0;  // of held_, how much ends with a mark heard while the tone stood out
    double heardUntilMs_ = 0.0;  // where its last mark ended
    bool catchingUp_ = false;
    bool toneStands_ = true;
    std::optional<double> awaySinceMs_;  // when the tone last stopped standing out
    std::optional<double> shutAtMs_;
    std::optional<double> openUntilMs_;
    bool lastWasBlank_ = true;
    std::optional<double> writtenUntilMs_;
};

}  // namespace ditdahl::automatic
