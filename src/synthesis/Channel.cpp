#include "synthesis/Channel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ditdahl::synthesis {

double fadeDbAt(double seconds, double periodSeconds, double depthDb, double startPhase) {
    return -depthDb * (0.5 - 0.5 * std::cos(startPhase + 2.0 * std::numbers::pi * seconds / periodSeconds));
}

void applyFadeDb(std::vector<double>& samples, double periodSeconds, double depthDb, double startPhase,
                 int sampleRate) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double db = fadeDbAt(static_cast<double>(i) / sampleRate, periodSeconds, depthDb, startPhase);
        samples[i] *= std::pow(10.0, db / 20.0);
    }
}

double agcPumpDb(const Agc& agc, double toneAmplitude, double noiseDeviation, int sampleRate) {
    const double tone = toneAmplitude * toneAmplitude / 2.0;
    const double noise = noiseDeviation * noiseDeviation * agc.bandHz / (sampleRate / 2.0);
    return std::min(agc.pumpDb, 10.0 * std::log10(1.0 + tone / std::max(noise, 1e-300)));
}

std::vector<double> agcGain(const std::vector<KeyInterval>& marks, std::size_t count, const Agc& agc, int sampleRate) {
    std::vector<bool> keyed(count, false);
    for (const KeyInterval& k : marks) {
        const auto first = static_cast<std::size_t>(std::max(0.0, std::floor(k.start * sampleRate)));
        const auto last =
            std::min(count, static_cast<std::size_t>(std::ceil((k.end + agc.fallMs / 1000.0) * sampleRate)));
        for (std::size_t i = first; i < last; ++i) keyed[i] = true;
    }
    // One pole on the gain in dB: an AGC's recovery is a steady climb in dB.
    const double attack = 1.0 - std::exp(-1000.0 / (agc.attackMs * sampleRate));
    const double release = 1.0 - std::exp(-1000.0 / (agc.releaseMs * sampleRate));
    std::vector<double> gain(count);
    double db = agc.pumpDb;  // no carrier before the first key-down
    for (std::size_t i = 0; i < count; ++i) {
        const double target = keyed[i] ? 0.0 : agc.pumpDb;
        db += (target - db) * (target < db ? attack : release);
        gain[i] = std::pow(10.0, db / 20.0);
    }
    return gain;
}

void addCrashes(std::vector<double>& samples, double perSecond, double peak, double decayMs, NoiseGenerator& random,
                int sampleRate) {
    const double chance = perSecond / sampleRate;
    const double decay = std::exp(-1000.0 / (decayMs * sampleRate));
    const auto span = static_cast<std::size_t>(std::ceil(5.0 * decayMs * sampleRate / 1000.0));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (random.uniform() >= chance) continue;
        double level = peak;
        for (std::size_t k = i; k < std::min(samples.size(), i + span); ++k, level *= decay)
            samples[k] += level * (2.0 * random.uniform() - 1.0);
    }
}

}  // namespace ditdahl::synthesis
