#include "BandOutput.h"

#include <cmath>
#include <cstdio>

namespace ditdahl::decode {
namespace {
void printStretch(const band::Stretch& s) {
    // Adding zero turns a rounded -0 into 0.
    std::printf("%.1fs %.0f Hz %.0f wpm %.0f dB: %s\n", s.startMs / 1000.0, s.toneHz, s.wpm, std::round(s.snrDb) + 0.0,
                s.text.c_str());
    std::fflush(stdout);
}
}  // namespace

BandPrinting bandPrinting(const DecodeOptions& options, long long startUtcMs, SpotServer* server) {
    BandPrinting printing;
    printing.spots = options.spots;
    printing.spotSettings.dialKHz = options.dialKHz.value_or(0.0);
    printing.spotSettings.upperSideband = !options.lowerSideband;
    printing.spotSettings.node = options.spotter;
    printing.startUtcMs = startUtcMs;
    printing.server = server;
    if (server) server->setSettings(printing.spotSettings);
    return printing;
}

std::unique_ptr<SpotServer> openSpotServer(const DecodeOptions& options, bool& failed) {
    failed = false;
    if (options.spotPort <= 0) return nullptr;
    std::string error;
    auto server = std::make_unique<SpotServer>("127.0.0.1", options.spotPort, error);
    if (!server->listening()) {
        std::fprintf(stderr, "ditdahl-decode: cannot serve spots on port %d: %s\n", options.spotPort, error.c_str());
        failed = true;
        return nullptr;
    }
    std::fprintf(stderr, "ditdahl-decode: serving spots on 127.0.0.1 port %d (telnet)\n", server->port());
    return server;
}

BandOutput::BandOutput(const MorseTable& table, const BandPrinting& printing)
    : printing_(printing), lines_(printStretch), decoder_(table, *this) {}

void BandOutput::pushStereo(const std::int16_t* interleaved, std::size_t frames) {
    decoder_.pushStereo(interleaved, frames);
    if (!printing_.spots) lines_.tick(decoder_.nowMs());
}

void BandOutput::finish() {
    decoder_.finish();
    if (!printing_.spots) lines_.finish();
}

void BandOutput::channelStarted(const band::ChannelReport& channel) {
    if (!printing_.spots) lines_.channelStarted(channel);
}

void BandOutput::text(const band::ChannelReport& channel, std::string_view decoded) {
    if (!printing_.spots) lines_.text(channel, decoded);
    if (!spotting()) return;
    const DecodedText heard{channel.id,     utcFromMilliseconds(printing_.startUtcMs + std::llround(channel.atMs)),
                            channel.toneHz, channel.wpm,
                            channel.snrDb,  decoded};
    report(spotter_.hear(heard));
}

void BandOutput::channelEnded(const band::ChannelReport& channel) {
    if (!printing_.spots) lines_.channelEnded(channel);
    if (spotting()) report(spotter_.channelEnded(channel.id));
}

void BandOutput::report(const std::vector<Spot>& spots) {
    for (const Spot& spot : spots) {
        if (printing_.spots) {
            std::printf("%s\n", spotLine(spot, printing_.spotSettings).c_str());
            std::fflush(stdout);
        }
        if (printing_.server) printing_.server->publish(spot);
    }
}

}  // namespace ditdahl::decode
