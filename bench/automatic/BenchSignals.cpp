#include "BenchSignals.h"

#include <cmath>

#include "base/MorseTable.h"

namespace ditdahl::bench {
namespace {
constexpr double pi = 3.14159265358979323846;
}

const std::vector<std::string> benchTexts = {
    "CQ CQ DE DL1ABC DL1ABC PSE K",
    "TNX FER CALL UR RST 579 579 NAME IS PETER QTH NEAR HAMBURG HW?",
    "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890",
    "WX HERE SUNNY TEMP 22 C RIG IS 100 W ANT DIPOLE = 73 ES GL",
    "QRL? QRZ? PSE QSY TO 7025 KHZ, BK / AR",
};

std::vector<double> characterEndsMs(const std::string& text, const synthesis::KeyingPlan& plan) {
    MorseTable table;
    buildMorseTable(table);
    const auto intervals = synthesis::keyTimeline(text, plan, nullptr);
    std::vector<double> ends;
    std::size_t next = 0;
    for (char c : text) {
        const std::string_view pattern = table.pattern(upperAscii(static_cast<unsigned char>(c)));
        if (pattern.empty()) continue;
        next += pattern.size();
        ends.push_back(intervals[next - 1].end * 1000.0);
    }
    return ends;
}

std::vector<synthesis::KeyInterval> handSentTimeline(const std::string& text, const synthesis::KeyingPlan& plan,
                                                   double spread, synthesis::NoiseGenerator& random,
                                                   double* totalSeconds) {
    auto ideal = synthesis::keyTimeline(text, plan, totalSeconds);
    auto vary = [&](double length) { return length * (1.0 + spread * (2.0 * random.uniform() - 1.0)); };
    std::vector<synthesis::KeyInterval> out;
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

std::vector<double> renderTone(const std::vector<synthesis::KeyInterval>& intervals, double totalSeconds,
                               const synthesis::KeyingPlan& plan) {
    const auto n = static_cast<std::size_t>(std::ceil(totalSeconds * plan.sampleRate));
    std::vector<double> samples(n, 0.0);
    const double edge = plan.edgeMs / 1000.0;
    const double w = 2.0 * pi * plan.toneHz / plan.sampleRate;
    for (const auto& k : intervals) {
        const auto first = static_cast<std::size_t>(std::floor(k.start * plan.sampleRate));
        const auto last = std::min(n, static_cast<std::size_t>(std::ceil((k.end + edge) * plan.sampleRate)));
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i) / plan.sampleRate;
            double gain = 1.0;
            if (t < k.start) gain = 0.0;
            else if (t < k.start + edge) gain = 0.5 - 0.5 * std::cos(pi * (t - k.start) / edge);
            else if (t >= k.end + edge) gain = 0.0;
            else if (t >= k.end) gain = 0.5 + 0.5 * std::cos(pi * (t - k.end) / edge);
            samples[i] += gain * plan.amplitude * std::sin(w * static_cast<double>(i));
        }
    }
    return samples;
}

void applyFading(std::vector<double>& samples, double periodSeconds, double floorGain, int sampleRate) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double phase = 2.0 * pi * static_cast<double>(i) / (periodSeconds * sampleRate);
        samples[i] *= floorGain + (1.0 - floorGain) * (0.5 + 0.5 * std::cos(phase));
    }
}

void addImpulses(std::vector<double>& samples, double peak, double ratePerSecond, int sampleRate,
                 synthesis::NoiseGenerator& random) {
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

}  // namespace ditdahl::bench
