// Where the band decoder's results go: each channel's start, its text as it
// is decoded and its end, with what is known of its signal at the time.
// Called on the thread that feeds the band decoder.
#pragma once

#include <string_view>

namespace ditdahl::band {

struct ChannelReport {
    int id = 0;           // unique over the decoder's life
    double toneHz = 0.0;  // the signal's audio frequency now
    double wpm = 0.0;     // 0 while the speed is not known yet
    double snrDb = 0.0;   // in 2500 Hz, as the shared spectrum sees it
    // Time into the audio, in ms, of what the call is about: the signal's
    // appearance, about where the text's characters began, or the last time
    // the signal stood out.
    double atMs = 0.0;
};

class BandListener {
public:
    virtual ~BandListener() = default;
    virtual void channelStarted(const ChannelReport& channel) = 0;
    // Decoded characters as the Morse table's expansion gives them, and
    // single blanks between words.
    virtual void text(const ChannelReport& channel, std::string_view decoded) = 0;
    virtual void channelEnded(const ChannelReport& channel) = 0;
};

}  // namespace ditdahl::band
