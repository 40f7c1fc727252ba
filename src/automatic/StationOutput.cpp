#include "automatic/StationOutput.h"

#include <cmath>
#include <string>

#include "analysis/SpectrumBars.h"
#include "decoder/ElementDecoder.h"
#include "station/ControlIds.h"

namespace ditdahl::automatic {

void StationOutput::text(std::string_view decoded) {
    if (!state_.receiveEnabled) return;
    appendToTrafficLine(state_, decoded);
    flushLongTrafficLine(state_);
}

void StationOutput::speed(double wpm, double dotMs) {
    const int dot = static_cast<int>(std::lround(dotMs));
    state_.rxSpeedWpm = static_cast<int>(std::lround(wpm));
    state_.dotMs = dot;
    state_.dashMs = 3 * dot;
    Controls& window = *state_.mainWindow;
    window.setText(ids::dotBox, std::to_string(dot));
    window.setText(ids::dashBox, std::to_string(3 * dot));
    window.setText(ids::rxSpeedBox, std::to_string(state_.rxSpeedWpm.load()));
    if (state_.autoTxSpeed) followWithTxSpeed(state_);
}

void StationOutput::tone(double toneHz) {
    if (toneHz <= 0.0) {
        setupBars(state_);
        return;
    }
    // Bar k is labelled 50 x k Hz.
    const int followed = static_cast<int>(std::lround(toneHz / 50.0));
    Controls& window = *state_.mainWindow;
    for (int bar = 1; bar <= ids::barCount; ++bar) {
        const int id = barControlId(bar);
        window.setBarBackground(id, bar == followed ? highlightBackground : plainBackground);
        window.setBarColour(id, bar == followed ? highlightBarColour : plainBarColour);
    }
}

}  // namespace ditdahl::automatic
