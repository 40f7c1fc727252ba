#include "synthesis/KeyedTone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/MorseTable.h"
#include "base/Windows.h"

namespace ditdahl::synthesis {

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

std::vector<double> characterEndsMs(std::string_view text, const KeyingPlan& plan) {
    MorseTable table;
    buildMorseTable(table);
    const auto intervals = keyTimeline(text, plan, nullptr);
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

std::vector<double> renderTone(const std::vector<KeyInterval>& intervals, double totalSeconds, const KeyingPlan& plan) {
    const auto n = static_cast<std::size_t>(std::ceil(totalSeconds * plan.sampleRate));
    std::vector<double> samples(n, 0.0);
    const double edge = plan.edgeMs / 1000.0;
    const double w = 2.0 * std::numbers::pi * plan.toneHz / plan.sampleRate;
    for (const KeyInterval& k : intervals) {
        const auto first = static_cast<std::size_t>(std::floor(k.start * plan.sampleRate));
        const auto last = std::min(n, static_cast<std::size_t>(std::ceil((k.end + edge) * plan.sampleRate)));
        for (std::size_t i = first; i < last; ++i) {
            const double t = static_cast<double>(i) / plan.sampleRate;
            double gain = 0.0;
            if (t < k.start) {
                gain = 0.0;
            } else if (t < k.start + edge) {
                gain = raisedCosine((t - k.start) / edge);
            } else if (t < k.end) {
                gain = 1.0;
            } else if (t < k.end + edge) {
                gain = 1.0 - raisedCosine((t - k.end) / edge);
            }
            samples[i] += gain * plan.amplitude * std::sin(w * static_cast<double>(i));
        }
    }
    return samples;
}

std::vector<double> keyedTone(std::string_view text, const KeyingPlan& plan) {
    double total = 0.0;
    const auto intervals = keyTimeline(text, plan, &total);
    return renderTone(intervals, total, plan);
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
