#include "synthesis/Impairments.h"

#include <cmath>
#include <numbers>

namespace ditdahl::synthesis {

constexpr double pi = std::numbers::pi;

std::vector<KeyInterval> handSentTimeline(std::string_view text, const KeyingPlan& plan, double spread,
                                          NoiseGenerator& random, double* totalSeconds) {
    auto ideal = keyTimeline(text, plan, totalSeconds);
    auto vary = [&](double length) { return length * (1.0 + spread * (2.0 * random.uniform() - 1.0)); };
    std::vector<KeyInterval> out;
    double t = ideal.empty() ? 0.0 : ideal.front().start;
    for (std::size_t i = 0; i < ideal.size(); ++i) {
        const double length = vary(ideal[i].end - ideal[i].start);
        out.push_back({t, t + length});
        t += length;
        if (i + 1 < ideal.size()) t += vary(ideal[i + 1].start - ideal[i].end);
    }
    if (totalSeconds && !out.empty()) *totalSeconds = out.back().end + plan.tailMs / 1000.0;
    return out;
}

void applyFading(std::vector<double>& samples, double periodSeconds, double floorGain, int sampleRate) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double phase = 2.0 * pi * static_cast<double>(i) / (periodSeconds * sampleRate);
        samples[i] *= floorGain + (1.0 - floorGain) * (0.5 + 0.5 * std::cos(phase));
    }
}

void addImpulses(std::vector<double>& samples, double peak, double ratePerSecond, int sampleRate,
                 NoiseGenerator& random) {
    const double chance = ratePerSecond / sampleRate;
    for (double& s : samples)
        if (random.uniform() < chance) s += (random.uniform() < 0.5 ? -peak : peak);
}

void narrowFilter(std::vector<double>& samples, double centreHz, double widthHz, int sampleRate) {
    // Two-pole resonators; four in cascade narrow the skirts, and the whole
    // to about 0.43 of one stage's width.
    const double r = std::exp(-pi * (widthHz / 0.435) / sampleRate);
    const double a1 = 2.0 * r * std::cos(2.0 * pi * centreHz / sampleRate);
    const double a2 = -r * r;
    const double gain = 1.0 - r;
    for (int stage = 0; stage < 4; ++stage) {
        double y1 = 0.0, y2 = 0.0;
        for (double& s : samples) {
            const double y = gain * s + a1 * y1 + a2 * y2;
            y2 = y1;
            y1 = y;
            s = y;
        }
    }
}

}  // namespace ditdahl::synthesis
