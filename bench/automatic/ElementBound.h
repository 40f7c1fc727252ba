// What an ideal element-by-element receiver would copy: one that knows where
// every mark and gap begins and ends, and the carrier's amplitude and phase,
// and decides each of them on its own (mark or not) by the filter matched
// to it. No receiver that must find the timing and the carrier does better
// without knowing which letters and words are likely; the automatic
// receiver's figures are read against it.
#pragma once

#include <string>
#include <vector>

#include "base/MorseTable.h"
#include "synthesis/KeyedTone.h"

namespace ditdahl::bench {

// The text the ideal receiver reads from noisy samples, given the same
// signal without noise, its key-down intervals and its dot length.
std::string readByElements(const std::vector<double>& noisy, const std::vector<double>& clean,
                           const std::vector<synthesis::KeyInterval>& keyed, double toneHz, double dotMs,
                           const MorseTable& table);

}  // namespace ditdahl::bench
