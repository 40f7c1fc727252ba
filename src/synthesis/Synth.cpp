#include "synthesis/Synth.h"

#include <algorithm>
#include <cmath>

#include "base/MorseTable.h"

namespace ditdahl::synthesis {
namespace {
constexpr double pi = 3.14159265358979323846;
}

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
    spare_ = r * std::sin(2.0 * pi * u2);
    haveSpare_ = true;
    return r * std::cos(2.0 * pi * u2);
}

std::vector<KeyInterval> keyTimeline(std::string_view text, const KeyingPlan& plan, double* totalSeconds) {
    MorseTable table;
    buildMorseTable(table);
    const double dot = 1.2 / plan.wpm;
    std::vector<KeyInterval> intervals;
    double t = plan.leadInMs / 1000.0;
    // t runs at the end of the one-dot gap that follows every element; a
    // letter or word gap adds the rest before the next element.
    enum class Gap { None, Letter, Word } gap = Gap::None;
    for (char raw : text) {
        const unsigned char c = upperAscii(static_cast<unsigned char>(raw));
        if (c == ' ') {
            if (!intervals.empty()) gap = Gap::Word;
            continue;
        }
        const std::string_view pattern = table.pattern(c);
        if (pattern.empty()) continue;
        if (gap == Gap::Word) t += (plan.wordGapDots - 1.0) * dot;
        if (gap == Gap::Letter) t += (plan.letterGapDots - 1.0) * dot;
        for (char element : pattern) {
            const double length = (element == '.' ? 1.0 : 3.0) * dot;
            intervals.push_back({t, t + length});
            t += length + dot;
        }
        gap = Gap::Letter;
    }
    if (totalSeconds) *totalSeconds = t + plan.tailMs / 1000.0;
    return intervals;
}

std::vector<double> keyedTone(std::string_view text, const KeyingPlan& plan) {
    double total = 0.0;
    const auto intervals = keyTimeline(text, plan, &total);
    const auto n = static_cast<std::size_t>(std::ceil(total * plan.sampleRate));
    std::vector<double> samples(n, 0.0);
    const double edge = plan.edgeMs / 1000.0;
    const double w = 2.0 * pi * plan.toneHz / plan.sampleRate;
    for (const KeyInterval& k : intervals) {
        const auto first = static_cast<std::size_t>(std::floor(k.start * plan.sampleRate));
        const auto last = std::min(n, static_cast<std::size_t>(std::ceil((k.end + edge) * plan.sampleRate)));
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i) / plan.sampleRate;
            double gain;
            if (t < k.start) {
                gain = 0.0;
            } else if (t < k.start + edge) {
                gain = 0.5 - 0.5 * std::cos(pi * (t - k.start) / edge);
            } else if (t < k.end) {
                gain = 1.0;
            } else if (t < k.end + edge) {
                gain = 0.5 + 0.5 * std::cos(pi * (t - k.end) / edge);
            } else {
                gain = 0.0;
            }
            samples[i] += gain * plan.amplitude * std::sin(w * static_cast<double>(i));
        }
    }
    return samples;
}

void addNoise(std::vector<double>& samples, double toneAmplitude, double snrDb, int sampleRate,
              NoiseGenerator& noise) {
    // Tone power A^2/2; white noise of variance s^2 spreads over sampleRate/2,
    // so a 2500 Hz band holds s^2 * 2500 / (sampleRate / 2).
    const double tonePower = toneAmplitude * toneAmplitude / 2.0;
    const double bandPower = tonePower / std::pow(10.0, snrDb / 10.0);
    const double variance = bandPower * (sampleRate / 2.0) / 2500.0;
    const double sigma = std::sqrt(variance);
    for (double& s : samples) s += sigma * noise.gaussian();
}

namespace {
std::int16_t clip16(double v) {
    const double r = std::round(v);
    return static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
}
}  // namespace

std::vector<std::int16_t> toStereo16(const std::vector<double>& samples) {
    std::vector<std::int16_t> out;
    out.reserve(samples.size() * 2);
    for (double s : samples) {
        out.push_back(clip16(s));
        out.push_back(0);
    }
    return out;
}

std::vector<std::int16_t> toMono16(const std::vector<double>& samples) {
    std::vector<std::int16_t> out;
    out.reserve(samples.size());
    for (double s : samples) out.push_back(clip16(s));
    return out;
}

}  // namespace ditdahl::synthesis
