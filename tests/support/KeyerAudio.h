// Text keyed by the program's own keyer, as ditdahl-encode renders it: each
// character through keyCharacter onto a ToneKeyLine on a manual clock, so
// the test signal carries the keyer's real timing (whole milliseconds, a
// character ended by 3.4 dots, a blank adding 9 dots) rather than ideal
// proportions.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ditdahl::testing {

struct KeyerAudioPlan {
    int wpm = 20;
    double toneHz = 550.0;
    double amplitude = 8192.0;  // peak, in 16-bit sample units
    std::uint32_t leadInMs = 500;
    // After the closing 9 dots that a transmission ends with.
    std::uint32_t tailMs = 1000;
};

// Mono samples at 6000 frames/s in 16-bit units, neither rounded nor clipped.
std::vector<double> keyerAudio(std::string_view text, const KeyerAudioPlan& plan);

}  // namespace ditdahl::testing
