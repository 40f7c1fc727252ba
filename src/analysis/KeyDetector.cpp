#include "analysis/KeyDetector.h"

#include <cmath>

#include "analysis/SpectrumBars.h"
#include "base/Fft.h"
#include "decoder/ElementDecoder.h"

namespace ditdahl {
namespace {

constexpr int watchdogPeriodBlocks = 100;
constexpr std::uint32_t slowBlockMs = 22;  // more than 21 ms per 10.67 ms block
constexpr int slowReportsBeforeReset = 10;

void watchBlockRate(StationState& state, KeyDetector& detector) {
    Clock& clock = *state.clock;
    const std::uint32_t now = clock.tickCount();
    if (detector.rateStartTick == 0) {
        detector.rateStartTick = now;
        return;
    }
    if (++detector.rateBlockCount < watchdogPeriodBlocks) return;

    const std::uint32_t msPerBlock = (now - detector.rateStartTick) / watchdogPeriodBlocks;
    state.displays.spectrum->showBlockPeriod(msPerBlock);
    detector.rateStartTick = clock.tickCount();
    detector.rateBlockCount = 0;
    // Only the 100 Hz filter's short blocks can fall behind: a 128-frame block
    // period is itself longer than the limit.
    if (state.filterWidth == 100 && msPerBlock >= slowBlockMs) ++detector.slowReports;
    if (detector.slowReports == slowReportsBeforeReset) {
        state.displays.spectrum->captureFellBehind();
        detector.slowReports = 0;
    }
}

void evaluateKey(StationState& state, KeyDetector& detector, double level) {
    const bool key = level >= state.barRange * state.thresholdPercent / 100.0;
    if (!detector.keyStarted) {
        detector.runBlocks = 1;
        detector.keyStarted = true;
        state.keyDown = key;
        return;
    }
    bool runEnded = key != state.keyDown;
    if (!runEnded) {
        // A run that goes on is still reported after 2 dashes, so that a long
        // pause finishes the last character and a word.
        const std::uint32_t sinceLastRun = state.clock->tickCount() - detector.lastRunEndTick;
        runEnded = sinceLastRun > 2u * static_cast<std::uint32_t>(state.dashMs.load());
    }
    if (runEnded) {
        const auto blockMs = static_cast<std::uint32_t>(blockMilliseconds(state.fftSize));
        decodeRun(state, blockMs * static_cast<std::uint32_t>(detector.runBlocks));
        detector.lastRunEndTick = state.clock->tickCount();
        detector.runBlocks = 1;
    } else {
        ++detector.runBlocks;
    }
    state.keyDown = key;
}

}  // namespace

void analyseBlock(StationState& state, KeyDetector& detector, const std::int16_t* interleavedStereoFrames) {
    if (const auto level = showBlockLevels(state, detector, interleavedStereoFrames)) {
        evaluateKey(state, detector, *level);
    }
}

std::optional<double> showBlockLevels(StationState& state, KeyDetector& detector,
                                      const std::int16_t* interleavedStereoFrames) {
    watchBlockRate(state, detector);

    const int n = state.fftSize;
    // Only block sizes the transform takes, and that fit the working arrays,
    // are analysed.
    if (n < 2 || n > maxBlockFrames || (n & (n - 1)) != 0) return std::nullopt;

    double samples[maxBlockFrames];
    double real[maxBlockFrames];
    double imaginary[maxBlockFrames];
    for (int k = 0; k < n; ++k) samples[k] = interleavedStereoFrames[2 * k];
    fft(n, samples, real, imaginary);

    const int half = n / 2;
    double* magnitude = samples;
    double sum = 0.0;
    for (int i = 1; i <= half; ++i) {
        const double re = static_cast<float>(real[i]);
        const double im = static_cast<float>(imaginary[i]);
        magnitude[i] = std::sqrt(re * re + im * im) / half;
        if (i < half) sum += magnitude[i];
    }
    // Bin `half` is left out of the sum, but the divisor stays `half`: the
    // threshold percentages that operators have set and stored are relative to
    // levels scaled this way.
    const double mean = sum / half;

    const int barRange = state.barRange;
    const int toneBin = state.toneBin;
    std::optional<double> watched;
    for (int e = 1; e <= n / 4; ++e) {
        double level = 0.0;
        if (mean != 0.0 && magnitude[e] != 0.0) level = (barRange / mean / 10.0) * magnitude[e];
        showLevel(state, level, e);
        if (e == toneBin) watched = level;
    }
    return watched;
}

void restartKeyRuns(StationState& state, KeyDetector& detector) {
    detector.keyStarted = false;
    detector.runBlocks = 0;
    detector.lastRunEndTick = state.clock->tickCount();
    state.symbolBuffer.clear();
    state.elementPending = false;
}

}  // namespace ditdahl
