#include "automatic/StationOutput.h"

#include <cmath>

#include "analysis/SpectrumBars.h"
#include "decoder/ElementDecoder.h"

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
    state_.displays.speed->showTiming(dot, 3 * dot, state_.rxSpeedWpm);
    if (state_.autoTxSpeed) followWithTxSpeed(state_);
}

void StationOutput::tone(double toneHz) {
    if (toneHz <= 0.0) {
        setupBars(state_);
        return;
    }
    // Bar k is labelled 50 x k Hz.
    const int followed = static_cast<int>(std::lround(toneHz / 50.0));
    for (int bar = 1; bar <= barCount; ++bar) state_.displays.spectrum->highlightBar(bar, bar == followed);
}

}  // namespace ditdahl::automatic
