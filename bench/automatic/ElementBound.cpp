#include "ElementBound.h"

#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>

#include "base/CaptureFormat.h"

namespace ditdahl::bench {
namespace {
constexpr auto sampleRate = static_cast<double>(captureFramesPerSecond);

struct Run {
    bool mark;
    double lengthMs;
};

std::size_t sampleAt(double seconds, std::size_t size) {
    const auto n = static_cast<std::size_t>(std::lround(seconds * sampleRate));
    return n < size ? n : size;
}

// Whether the samples [from, to) hold the expected waveform rather than
// nothing: the matched filter's output against half its energy.
bool holds(const std::vector<double>& received, const std::vector<double>& expected, std::size_t from, std::size_t to) {
    double along = 0.0;
    double energy = 0.0;
    for (std::size_t n = from; n < to; ++n) {
        along += received[n] * expected[n - from];
        energy += expected[n - from] * expected[n - from];
    }
    return along > 0.5 * energy;
}

void write(std::string& pattern, std::string& out, const MorseTable& table) {
    if (pattern.empty()) return;
    const unsigned char code = lookupCharacter(table, pattern);
    if (code != '#') out += expandCharacter(code);
    pattern.clear();
}
}  // namespace

std::string readByElements(const std::vector<double>& noisy, const std::vector<double>& clean,
                           const std::vector<synthesis::KeyInterval>& keyed, double toneHz, double dotMs,
                           const MorseTable& table) {
    const double omega = 2.0 * std::numbers::pi * toneHz / sampleRate;
    std::vector<Run> runs;
    std::vector<double> expected;
    std::complex<double> carrier{};  // the last mark's, per sample
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        const std::size_t from = sampleAt(keyed[i].start, clean.size());
        const std::size_t to = sampleAt(keyed[i].end, clean.size());
        expected.assign(clean.begin() + static_cast<std::ptrdiff_t>(from),
                        clean.begin() + static_cast<std::ptrdiff_t>(to));
        std::complex<double> sum{};
        for (std::size_t n = from; n < to; ++n) sum += clean[n] * std::polar(1.0, -omega * static_cast<double>(n));
        if (to > from) carrier = 2.0 * sum / static_cast<double>(to - from);
        runs.push_back({holds(noisy, expected, from, to), 1000.0 * (keyed[i].end - keyed[i].start)});
        if (i + 1 == keyed.size()) break;
        // A gap holds what the marks' edges leave in it; it is taken for a
        // mark if the rest holds the carrier running on.
        const std::size_t next = sampleAt(keyed[i + 1].start, clean.size());
        std::vector<double> rest(noisy.begin() + static_cast<std::ptrdiff_t>(to),
                                 noisy.begin() + static_cast<std::ptrdiff_t>(next));
        for (std::size_t n = to; n < next; ++n) rest[n - to] -= clean[n];
        expected.clear();
        for (std::size_t n = to; n < next; ++n)
            expected.push_back(std::real(carrier * std::polar(1.0, omega * static_cast<double>(n))));
        runs.push_back({holds(rest, expected, 0, rest.size()), 1000.0 * (keyed[i + 1].start - keyed[i].end)});
    }
    // Neighbouring runs taken alike make one, and are timed as one.
    std::vector<Run> merged;
    for (const Run& r : runs) {
        if (!merged.empty() && merged.back().mark == r.mark) {
            merged.back().lengthMs += r.lengthMs;
        } else {
            merged.push_back(r);
        }
    }
    std::string out;
    std::string pattern;
    for (const Run& r : merged) {
        const double dots = r.lengthMs / dotMs;
        if (r.mark) {
            pattern += dots < 2.0 ? '.' : '-';
        } else if (dots >= 2.0) {
            write(pattern, out, table);
            if (dots >= 5.0) out += ' ';
        }
    }
    write(pattern, out, table);
    return out;
}

}  // namespace ditdahl::bench
