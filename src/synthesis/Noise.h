// Noise for test signals, from a seeded generator of our own, so that every
// machine produces the same samples for the same seed.
#pragma once

#include <cstdint>
#include <vector>

namespace ditdahl::synthesis {

// A small, fast generator with a fixed sequence for a given seed
// (xorshift64*), and Gaussian deviates from it (Box-Muller).
class NoiseGenerator {
public:
    explicit NoiseGenerator(std::uint64_t seed = 0x9E3779B97F4A7C15ull);
    std::uint64_t next();
    double uniform();   // [0, 1)
    double gaussian();  // mean 0, deviation 1

private:
    std::uint64_t state_;
    bool haveSpare_ = false;
    double spare_ = 0.0;
};

// A seed for one part of what a seed decides (splitmix64 of both): parts
// drawn from their own generators stay the same when another part draws
// more or fewer numbers.
std::uint64_t partSeed(std::uint64_t seed, std::uint64_t part);

// The deviation of white noise whose power in a 2500 Hz band is snrDb below
// the power of a steady tone of the given peak amplitude.
double noiseDeviation(double toneAmplitude, double snrDb, int sampleRate);

// Adds such noise to every sample.
void addNoise(std::vector<double>& samples, double toneAmplitude, double snrDb, int sampleRate, NoiseGenerator& noise);

}  // namespace ditdahl::synthesis
