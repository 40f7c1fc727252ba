// What ditdahl-decode prints with --band: one line for each stretch of a
// channel's text, "12.3s 712 Hz 24 wpm 9 dB: CQ CQ DE ...", as the stretch
// ends (see band/BandLines); or, with --spots, a spot line for each call
// heard. Spots also go to the spot server when there is one. Owns the band
// decoder it prints for; runs on the thread that feeds it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "DecodeOptions.h"
#include "band/BandDecoder.h"
#include "band/BandLines.h"
#include "base/MorseTable.h"
#include "spots/CallSpotter.h"
#include "spots/SpotLine.h"
#include "spots/SpotServer.h"

namespace ditdahl::decode {

struct BandPrinting {
    bool spots = false;  // spot lines instead of the stretches of text
    SpotSettings spotSettings;
    long long startUtcMs = 0;      // the audio's start: a spot's time is this plus its time into the audio
    SpotServer* server = nullptr;  // where spots go besides, if anywhere
};

// What the command line asks to be printed, the spots dated from the audio's
// start.
BandPrinting bandPrinting(const DecodeOptions& options, long long startUtcMs, SpotServer* server);
// The spot server --spot-port asks for, listening on the loopback address;
// nullptr without the option. Says on standard error where it listens, or
// why it cannot (then failed is set).
std::unique_ptr<SpotServer> openSpotServer(const DecodeOptions& options, bool& failed);

class BandOutput : band::BandListener {
public:
    BandOutput(const MorseTable& table, const BandPrinting& printing);

    void pushStereo(const std::int16_t* interleaved, std::size_t frames);
    // The audio has ended: every channel's last stretch is printed.
    void finish();

private:
    void channelStarted(const band::ChannelReport& channel) override;
    void text(const band::ChannelReport& channel, std::string_view decoded) override;
    void channelEnded(const band::ChannelReport& channel) override;
    bool spotting() const { return printing_.spots || printing_.server; }
    void report(const std::vector<Spot>& spots);

    BandPrinting printing_;
    band::BandLines lines_;
    CallSpotter spotter_;
    band::BandDecoder decoder_;
};

}  // namespace ditdahl::decode
