// What the path and the receiver do to a keyed signal on its way to the
// decoder: slow fading, static crashes, and a receiver AGC that lets the
// noise up in every gap.
#pragma once

#include <vector>

#include "base/CaptureFormat.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

namespace ditdahl::synthesis {

// Slow fading: the gain in dB follows a raised cosine between 0 and
// -depthDb, one period every periodSeconds, starting at startPhase
// (radians; 0 at full strength). Even in dB, so a deep fade lingers near
// its trough as real ones do, rather than passing it in a moment.
void applyFadeDb(std::vector<double>& samples, double periodSeconds, double depthDb, double startPhase,
                 int sampleRate = captureFramesPerSecond);
// That fade's gain in dB at a time.
double fadeDbAt(double seconds, double periodSeconds, double depthDb, double startPhase);

// A receiver AGC's gain: 1 while a carrier is keyed (from each interval's
// start to its end plus fallMs), rising towards pumpDb in every gap with
// the release time constant, pulled back with the attack one at key-down.
// Applied to signal and noise alike, it lifts the noise in the gaps.
struct Agc {
    double pumpDb = 15.0;  // the most it lifts a gap
    double attackMs = 2.0;
    double releaseMs = 20.0;
    double fallMs = 4.0;
    // The band its detector measures. It holds the power there steady, so
    // it lifts a gap only as far as the keyed tone outweighs the noise in
    // that band: a weak signal hardly pumps it.
    double bandHz = 500.0;
};

// How far the AGC lifts the gaps of a tone of the given peak amplitude in
// white noise of the given deviation: at most its pumpDb.
double agcPumpDb(const Agc& agc, double toneAmplitude, double noiseDeviation, int sampleRate = captureFramesPerSecond);
std::vector<double> agcGain(const std::vector<KeyInterval>& marks, std::size_t count, const Agc& agc,
                            int sampleRate = captureFramesPerSecond);

// Static crashes: bursts of noise of the given peak, decaying with decayMs,
// on average perSecond of them at random times.
void addCrashes(std::vector<double>& samples, double perSecond, double peak, double decayMs, NoiseGenerator& random,
                int sampleRate = captureFramesPerSecond);

}  // namespace ditdahl::synthesis
