// The 32 level bars under the tone buttons and the choice of the watched
// tone: which bars show which analysed bin, which are highlighted, their
// range, and the rule from tone frequency to the watched bin for each filter
// width.
// showLevel runs on the capture thread; the rest on the window thread.
#pragma once

#include "station/StationState.h"

namespace ditdahl {

inline constexpr int barCount = 32;

// Shows a level (clamped to 0..barRange, truncated) on the bar or bars of an
// analysed bin: bar `bin` at 128 points, bars 2 bin - 1 and 2 bin at 64.
void showLevel(StationState& state, double level, int bin);

// Range 0..barRange on all 32 bars; the bar or bars of the watched tone
// highlighted, the others plain.
void setupBars(StationState& state);

// The tone buttons' action: watch the given tone, show it in the BFO box,
// recolour the bars and derive the watched bin.
void selectTone(StationState& state, int frequencyHz);

// The tone button whose watched bin lies nearest the given frequency with the
// given filter; among buttons watching the same bin, the one whose label is
// nearest.
int nearestToneButton(double toneHz, int filterHz);
// The frequency of the bin that button k watches with the given filter.
double watchedFrequencyHz(int toneButton, int filterHz);

// toneBin from toneFrequency: / 50 with the 50 Hz filter, / 100 rounded up
// with the 100 Hz filter, 0 with any other width.
void updateToneBin(StationState& state);

}  // namespace ditdahl
