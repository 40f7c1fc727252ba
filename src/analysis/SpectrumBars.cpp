#include "analysis/SpectrumBars.h"

#include <cmath>

#include "base/CaptureFormat.h"

namespace ditdahl {

void showLevel(StationState& state, double level, int bin) {
    const int range = state.barRange;
    if (level < 0.0) {
        level = 0.0;
    } else if (level > range) {
        level = range;
    }
    const int value = static_cast<int>(level);
    SpectrumDisplay& bars = *state.displays.spectrum;
    switch (state.fftSize) {
        case 64:
            bars.showLevel(2 * bin - 1, value);
            bars.showLevel(2 * bin, value);
            break;
        case 128:
            bars.showLevel(bin, value);
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
    for (int bar = 1; bar <= barCount; ++bar) {
        state.displays.spectrum->setUpBar(bar, maximum, bar == hi || bar == neighbour);
    }
}

void selectTone(StationState& state, int frequencyHz) {
    state.toneFrequency = frequencyHz;
    state.displays.spectrum->showTone(frequencyHz);
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

double watchedFrequencyHz(int toneButton, int filterHz) {
    // As the receiver derives its bin: 50 x K Hz / 50 with the 50 Hz filter,
    // / 100 rounded up with the 100 Hz filter.
    const int frequency = 50 * toneButton;
    const double binHz = static_cast<double>(captureFramesPerSecond) / fftSizeForFilter(filterHz);
    const int bin = filterHz == 50 ? frequency / 50 : (frequency + 99) / 100;
    return bin * binHz;
}

int nearestToneButton(double toneHz, int filterHz) {
    int best = 1;
    for (int k = 2; k <= 32; ++k) {
        const double distance = std::abs(watchedFrequencyHz(k, filterHz) - toneHz);
        const double bestDistance = std::abs(watchedFrequencyHz(best, filterHz) - toneHz);
        if (distance < bestDistance ||
            (distance == bestDistance && std::abs(50.0 * k - toneHz) < std::abs(50.0 * best - toneHz))) {
            best = k;
        }
    }
    return best;
}

}  // namespace ditdahl
