#include "decoder/SpeedTiming.h"

#include <cmath>
#include <cstdint>

namespace ditdahl {
namespace {

void setReceiveSpeed(StationState& state, int wpm) {
    const int dot = dotMsForSpeed(wpm);
    state.rxSpeedWpm = wpm;
    state.dotMs = dot;
    state.dashMs = 3 * dot;
}

void showTiming(StationState& state) { state.displays.speed->showTiming(state.dotMs, state.dashMs, state.rxSpeedWpm); }

}  // namespace

void applyTxSpeedToReceive(StationState& state) {
    const int wpm = state.txSpeedWpm;
    if (wpm < 1) return;
    setReceiveSpeed(state, wpm);
    showTiming(state);
}

void estimateSpeed(StationState& state) {
    const MarkHistory& history = state.markHistory;
    const int n = history.count;
    if (n <= 0) return;

    // Sums are taken in 64 bits so that no history, however long its marks,
    // can overflow; the quotients are those of 32-bit integer arithmetic.
    std::int64_t sum = 0;
    std::int32_t longest = history.entries[0];
    std::int32_t shortest = history.entries[0];
    for (int i = 0; i < n; ++i) {
        const std::int32_t d = history.entries[i];
        sum += d;
        if (d > longest) longest = d;
        if (d < shortest) shortest = d;
    }
    const std::int64_t mean = sum / n;
    if (shortest > longest / 2) return;

    std::int64_t longSum = 0, shortSum = 0;
    int longCount = 0, shortCount = 0;
    for (int i = 0; i < n; ++i) {
        const std::int32_t d = history.entries[i];
        if (d > mean) {
            longSum += d;
            ++longCount;
        } else {
            shortSum += d;
            ++shortCount;
        }
    }
    if (longCount == 0) return;
    const std::int64_t dashEstimate = longSum / longCount;
    const std::int64_t dotEstimate = shortSum / shortCount;

    if (dotEstimate > 0 && dashEstimate > 0) {
        const std::int64_t product = (1200 / dotEstimate) * (3600 / dashEstimate);
        int wpm = static_cast<int>(std::sqrt(static_cast<double>(product)));
        if (wpm > maxEstimatedWpm) wpm = maxEstimatedWpm;
        // Marks longer than a 1 wpm dot (or dash) give 0 wpm, which has no
        // timing: the timing stays as it was, as for a zero dot estimate.
        if (wpm >= 1) setReceiveSpeed(state, wpm);
    }
    showTiming(state);
}

}  // namespace ditdahl
