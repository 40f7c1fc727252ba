// How senders time a text: machine keying, weighted keying, hand sending, a
// semi-automatic key, wide (Farnsworth) spacing and a change of speed part
// way through. Every variant is a set of lengths on the same walk over the
// text's elements and gaps.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::synthesis {

struct Timing {
    double wpm = 20.0;  // PARIS speed: a dot is 1.2 / wpm s
    // From word changeAtWord (counted from 0) on, laterWpm; 0: no change.
    double laterWpm = 0.0;
    std::size_t changeAtWord = 0;
    // Mark/space ratio of a dot and the gap after it. Every mark is
    // lengthened (or shortened) by the same time and the gap after it
    // loses it, so every key-down starts where it would have.
    double weight = 1.0;
    // Dashes of dashDots, or, when dashMaxDots is above it, each drawn
    // anew between the two (a semi-automatic key's hand-made dashes).
    double dashDots = 3.0;
    double dashMaxDots = 0.0;
    double letterGapDots = 3.0;
    double wordGapDots = 7.0;
    // Each element and gap stretched or shrunk at random by up to this
    // fraction, as a hand sender's (a drawn dash is already as the hand
    // made it).
    double spread = 0.0;
    // Dots and the gap after each dot exactly as timed, whatever the spread:
    // a semi-automatic key makes those itself.
    bool machineDots = false;
    double leadInSeconds = 0.5;  // silence before the first element
    double tailSeconds = 1.0;    // silence after the last
};

struct Keying {
    std::vector<KeyInterval> marks;
    // For each character of the text (blanks and characters without a
    // pattern skipped), the index in marks of its last element.
    std::vector<std::size_t> characterLastMark;
    double totalSeconds = 0.0;
};

// The key-down intervals of text as the timing sends it; random draws the
// spread and the dashes of a semi-automatic key.
Keying timeKeying(std::string_view text, const Timing& timing, NoiseGenerator& random);

}  // namespace ditdahl::synthesis
