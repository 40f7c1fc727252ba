#include "synthesis/Noise.h"

#include <cmath>
#include <numbers>

namespace ditdahl::synthesis {

NoiseGenerator::NoiseGenerator(std::uint64_t seed) : state_(seed ? seed : 1) {}

std::uint64_t NoiseGenerator::next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
}

double NoiseGenerator::uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

double NoiseGenerator::gaussian() {
    if (haveSpare_) {
        haveSpare_ = false;
        return spare_;
    }
    double u1 = uniform();
    while (u1 <= 0.0) u1 = uniform();
    const double u2 = uniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2.0 * std::numbers::pi * u2);
    haveSpare_ = true;
    return r * std::cos(2.0 * std::numbers::pi * u2);
}

std::uint64_t partSeed(std::uint64_t seed, std::uint64_t part) {
    std::uint64_t z = seed * 0x9E3779B97F4A7C15ull + part * 0xD1B54A32D192ED03ull + 0x632BE59BD9B4E019ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double noiseDeviation(double toneAmplitude, double snrDb, int sampleRate) {
    // Tone power A^2/2; white noise of variance s^2 spreads over sampleRate/2,
    // so a 2500 Hz band holds s^2 * 2500 / (sampleRate / 2).
    const double tonePower = toneAmplitude * toneAmplitude / 2.0;
    const double bandPower = tonePower / std::pow(10.0, snrDb / 10.0);
    return std::sqrt(bandPower * (sampleRate / 2.0) / 2500.0);
}

void addNoise(std::vector<double>& samples, double toneAmplitude, double snrDb, int sampleRate, NoiseGenerator& noise) {
    const double sigma = noiseDeviation(toneAmplitude, snrDb, sampleRate);
    for (double& s : samples) s += sigma * noise.gaussian();
}

}  // namespace ditdahl::synthesis
