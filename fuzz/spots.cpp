// What a telnet client of the spot server may type, and what the band
// decoder may copy, which on a noisy band is anything. A client's lines never
// hold a line end, and stay within the longest line whatever it sends; the
// spotter spots only words of a callsign's shape that were copied, and each
// spot's line keeps the cluster's columns.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Support.h"
#include "base/MorseTable.h"
#include "spots/CallShape.h"
#include "spots/CallSpotter.h"
#include "spots/SpotLine.h"
#include "spots/TelnetLines.h"

using namespace ditdahl;

namespace {

void checkTelnet(std::string_view bytes) {
    TelnetLines telnet;
    // In pieces of 1 to 8 bytes, as the network may deliver them.
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + static_cast<unsigned char>(bytes[at]) % 8);
        for (const std::string& line : telnet.take(bytes.substr(at, n))) {
            fuzz::require(line.size() <= TelnetLines::longestLine, "a client's line is longer than the longest");
            fuzz::require(line.find_first_of("\r\n") == std::string::npos, "a client's line holds a line end");
        }
        at += n;
    }
}

void checkSpots(std::string_view copied) {
    CallSpotter spotter;
    SpotSettings settings;
    settings.dialKHz = 14025.0;
    std::vector<Spot> spots;
    std::string heard[2];  // each channel's copy, in capitals
    // Two channels take turns with pieces of the copy.
    for (std::size_t at = 0, k = 0; at < copied.size(); ++k) {
        const std::size_t n = std::min<std::size_t>(copied.size() - at, 1 + k % 11);
        const DecodedText text{static_cast<int>(k % 2), {}, 500.0 + 300.0 * static_cast<double>(k % 2), 25, 9,
                               copied.substr(at, n)};
        for (Spot& spot : spotter.hear(text)) spots.push_back(std::move(spot));
        for (const char c : text.text) heard[k % 2] += static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
        at += n;
    }
    for (int channel : {0, 1})
        for (Spot& spot : spotter.channelEnded(channel)) spots.push_back(std::move(spot));
    for (const Spot& spot : spots) {
        fuzz::require(looksLikeCallsign(spot.call), "a spot of a word without a callsign's shape");
        fuzz::require(heard[spot.toneHz > 600.0 ? 1 : 0].find(spot.call) != std::string::npos,
                      "a spot of a call its channel did not copy");
        const std::string line = spotLine(spot, settings);
        fuzz::require(line.rfind("DX de ", 0) == 0 && line.size() <= 80, "a spot line out of the cluster's shape");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkTelnet(bytes);
    checkSpots(bytes);
    return 0;
}
