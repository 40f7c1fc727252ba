// What ditdahl-decode prints with --band: one line for each stretch of a
// channel's text, "12.3s 712 Hz 24 wpm 9 dB: CQ CQ DE ...", as the stretch
// ends (see band/BandLines). Owns the band decoder it prints for; runs on the
// thread that feeds it.
#pragma once

#include <cstdint>

#include "band/BandDecoder.h"
#include "band/BandLines.h"
#include "base/MorseTable.h"

namespace ditdahl::decode {

class BandOutput {
public:
    explicit BandOutput(const MorseTable& table);

    void pushStereo(const std::int16_t* interleaved, std::size_t frames);
    // The audio has ended: every channel's last stretch is printed.
    void finish();

private:
    band::BandLines lines_;
    band::BandDecoder decoder_;
};

}  // namespace ditdahl::decode
