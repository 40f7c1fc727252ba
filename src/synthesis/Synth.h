// Test signals made in the test: Morse text keyed as a sine tone with soft
// edges, at a known speed, frequency and level, plus white noise from a seeded
// generator of our own, so that every machine produces the same samples.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// How a test text is keyed: speed, tone, level, edges and pauses.
struct KeyingPlan {
    double wpm = 20.0;
    double toneHz = 550.0;
    double amplitude = 10000.0;  // peak, in 16-bit sample units
    int sampleRate = 6000;
    double edgeMs = 4.0;         // raised-cosine rise and fall
    double leadInMs = 500.0;     // silence before the first element
    double tailMs = 1000.0;      // silence after the last
    // Standard proportions: element gap 1 dot, letter gap 3, word gap 7.
    double letterGapDots = 3.0;
    double wordGapDots = 7.0;
};

// Key-down intervals, in seconds from the start, for text at the given timing
// (unknown characters are skipped; a blank is a word gap).
struct KeyInterval {
    double start;
    double end;
};
std::vector<KeyInterval> keyTimeline(std::string_view text, const KeyingPlan& plan, double* totalSeconds);

// The keyed tone as mono samples (not clipped, not rounded).
std::vector<double> keyedTone(std::string_view text, const KeyingPlan& plan);

// Adds white Gaussian noise whose power in a 2500 Hz band is snrDb below the
// power of a steady tone of the given peak amplitude.
void addNoise(std::vector<double>& samples, double toneAmplitude, double snrDb, int sampleRate,
              NoiseGenerator& noise);

// Rounds and clips to 16-bit, as interleaved stereo (left = signal, right = 0)
// or mono.
std::vector<std::int16_t> toStereo16(const std::vector<double>& samples);
std::vector<std::int16_t> toMono16(const std::vector<double>& samples);

}  // namespace ditdahl::synthesis
