// Finds the calls in what the band decoder copies on each channel (one CW
// signal at one audio tone) and reports each call once per band occupancy.
// A call-shaped word alone is not enough, since garbled copy is full of
// them: it must be heard where operators put their calls, "CQ ... DE CALL",
// "CQ TEST CALL", "CALL TEST", "DE CALL K", or twice in a row, as a caller
// in a pile-up and a CQ both send it. Runs on the decoder's thread; one
// thread at a time.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "spots/Spot.h"
#include "station/Clock.h"

namespace ditdahl {

// A stretch of one channel's copy, as the decoder hands it on: words may be
// split across stretches, blanks separate them.
struct DecodedText {
    int channel = 0;
    UtcTime time;
    double toneHz = 0;
    double wpm = 0;
    double snrDb = 0;
    std::string_view text;
};

class CallSpotter {
public:
    // A call heard again at about the same tone is not spotted again until
    // its channel has ended or this long after its spot: the cluster's usual
    // interval between spots of a station that stays on frequency.
    static constexpr long long respotMs = 10 * 60 * 1000;
    static constexpr double sameToneHz = 100;

    // The spots the text completes, in the order it completes them.
    std::vector<Spot> hear(const DecodedText& text);
    // The signal is gone: its last word counts, and its calls may be spotted
    // again when heard again.
    std::vector<Spot> channelEnded(int channel);

private:
    struct Channel {
        // The latest stretch's, which a spot carries.
        UtcTime time;
        double toneHz = 0;
        double wpm = 0;
        double snrDb = 0;
        std::string word;       // the word being copied, in capitals
        std::string last;       // the word before it
        std::string before;     // and the one before that
        int wordsSinceCq = -1;  // -1: no call open
    };
    struct Spotted {
        std::string call;
        int channel;
        double toneHz;
        long long atMs;
    };

    void endWord(int channel, Channel& c, std::vector<Spot>& spots);
    void spot(int channel, const Channel& c, const std::string& call, bool cq, std::vector<Spot>& spots);
    bool spottedBefore(int channel, const std::string& call, double toneHz, long long atMs);

    std::map<int, Channel> channels_;
    std::vector<Spotted> spotted_;
};

}  // namespace ditdahl
