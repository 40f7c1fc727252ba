// A spot as the line DX clusters send their users, which logging programs
// and cluster clients read by its columns:
//
//   DX de NODE-#:    14025.3  K1ABC        CW  12 dB  24 WPM  CQ          1234Z
//
// the spotter (with "-#", which marks a spot made by a program that listens,
// not by an operator), the radio frequency in kHz ending in column 24, the
// call from column 27, the comment from column 40 and the UTC time from
// column 71: 75 characters.
#pragma once

#include <string>

#include "spots/Spot.h"

namespace ditdahl {

struct SpotSettings {
    double dialKHz = 0;  // the radio's dial, where audio 0 Hz lies
    // Upper sideband: audio tones lie above the dial, lower: below it.
    bool upperSideband = true;
    std::string node = "DITDAHL";  // the spotter: the operator's call
};

// Without the line end.
std::string spotLine(const Spot& spot, const SpotSettings& settings);

}  // namespace ditdahl
