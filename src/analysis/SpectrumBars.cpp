#include "analysis/SpectrumBars.h"

#include <string>

#include "station/ControlIds.h"

namespace ditdahl {

int barControlId(int bar) { return ids::levelBar(bar); }

void showLevel(StationState& state, double level, int bin) {
    const int range = state.barRange;
    if (level < 0.0) {
        level = 0.0;
    } else if (level > range) {
        level = range;
    }
    const int value = static_cast<int>(level);
    Controls& window = *state.mainWindow;
    switch (state.fftSize) {
        case 64:
            window.setBarPosition(barControlId(2 * bin - 1), value);
            window.setBarPosition(barControlId(2 * bin), value);
            break;
        case 128:
            window.setBarPosition(barControlId(bin), value);
            break;
        default:
            break;
    }
}

void setupBars(StationState& state) {
    const int hi = state.toneFrequency / 50;
    int neighbour = 0;
    if (state.filterWidth != 50) neighbour = (hi % 2 != 0) ? hi + 1 : hi - 1;
    // The bar's range is a 16-bit word, as the window takes it.
    const int maximum = state.barRange & 0xFFFF;
    Controls& window = *state.mainWindow;
    for (int bar = 1; bar <= ids::barCount; ++bar) {
        const int id = barControlId(bar);
        window.setBarRange(id, 0, maximum);
        const bool watched = bar == hi || bar == neighbour;
        window.setBarBackground(id, watched ? highlightBackground : plainBackground);
        window.setBarColour(id, watched ? highlightBarColour : plainBarColour);
    }
}

void selectTone(StationState& state, int frequencyHz) {
    state.toneFrequency = frequencyHz;
    state.mainWindow->setText(ids::bfoBox, std::to_string(static_cast<unsigned>(frequencyHz)));
    setupBars(state);
    updateToneBin(state);
}

void updateToneBin(StationState& state) {
    const int frequency = state.toneFrequency;
    switch (state.filterWidth) {
        case 50:
            state.toneBin = frequency / 50;
            break;
        case 100: {
            const int q = frequency / 100;
            state.toneBin = (q * 100 != frequency) ? (q * 100 + 100) / 100 : q;
            break;
        }
        default:
            state.toneBin = 0;
            break;
    }
}

}  // namespace ditdahl
