// Up to when text was written from each tone followed lately, and at what
// speed. A station that is moved to because it is clearly stronger sent
// beside the one followed: its buffered text overlaps in time what was
// written, and is new unless it came from the same tone. A station that
// comes back (two taking turns) sends at the speed it was copied at.
// Runs on whichever thread feeds the automatic receiver.
#pragma once

#include <optional>
#include <vector>

namespace ditdahl::automatic {

class WrittenByTone {
public:
    // The text written by now ends at untilMs; whatever of it is new came
    // from the given tone, sent with dots of dotMs.
    void wrote(double toneHz, std::optional<double> untilMs, double dotMs);
    // Where text from the given tone (the same station, within the drift
    // of a followed tone) last ended.
    std::optional<double> until(double toneHz) const;
    // The dot of the station at the given tone, if text from it ended
    // within the last 20 s (nowMs).
    std::optional<double> recentDotMs(double toneHz, double nowMs) const;

private:
    struct Station {
        double toneHz;
        double untilMs;
        double dotMs;
    };
    // The station at the given tone whose text ended last; none if none.
    const Station* latestAt(double toneHz) const;
    std::vector<Station> stations_;
    std::optional<double> lastUntilMs_;
};

}  // namespace ditdahl::automatic
