// Cuts each channel's text into stretches for printing: a stretch starts with
// the channel's first text after a quiet spell and ends once the channel has
// written nothing for 3 s (about 2 s of quiet on the air), its line has
// passed 60 characters (at the next blank), the channel has ended or the
// audio has. A stretch of blanks alone is never given. Runs on the thread
// that feeds the band decoder.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "band/BandListener.h"

namespace ditdahl::band {

struct Stretch {
    double startMs = 0.0;  // time into the audio of its first characters
    double toneHz = 0.0;
    double wpm = 0.0;
    double snrDb = 0.0;
    std::string text;
};

class BandLines : public BandListener {
public:
    explicit BandLines(std::function<void(const Stretch&)> done) : done_(std::move(done)) {}

    // The band decoder has consumed the audio up to this time.
    void tick(double nowMs);
    // The audio has ended (after the decoder's finish).
    void finish();

    void channelStarted(const ChannelReport& channel) override;
    void text(const ChannelReport& channel, std::string_view decoded) override;
    void channelEnded(const ChannelReport& channel) override;

private:
    struct Open {
        Stretch stretch;
        double lastTextMs = 0.0;  // when it last grew, by the decoder's time
        // When the signal appeared, until its first stretch is given: the
        // first text comes in one piece, decided over buffered audio and
        // perhaps held for a while, and its start is told less well.
        double appearedMs = -1.0;
    };
    void end(Open& open);

    std::function<void(const Stretch&)> done_;
    std::map<int, Open> open_;
    double nowMs_ = 0.0;
};

}  // namespace ditdahl::band
