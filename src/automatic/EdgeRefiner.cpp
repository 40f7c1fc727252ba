#include "automatic/EdgeRefiner.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {

void EdgeRefiner::clear() { newest_ = -1; }

void EdgeRefiner::push(std::int64_t index, std::complex<double> step) {
    ring_[static_cast<std::size_t>(index % static_cast<std::int64_t>(keptSteps))] = step;
    newest_ = index;
}

bool EdgeRefiner::holds(std::int64_t index) const {
    return index >= 0 && index <= newest_ && index > newest_ - static_cast<std::int64_t>(keptSteps);
}

std::complex<double> EdgeRefiner::at(std::int64_t index) const {
    return ring_[static_cast<std::size_t>(index % static_cast<std::int64_t>(keptSteps))];
}

EdgeRefiner::Edges EdgeRefiner::refine(double start, double end, double searchSteps, double earliest,
                                       double latest) const {
    const Edges unchanged{start, end};
    const auto first = static_cast<std::int64_t>(std::floor(start - searchSteps));
    const auto last = static_cast<std::int64_t>(std::ceil(end + searchSteps));
    if (!holds(first - 1) || !holds(last + 1) || end - start < 1.0) return unchanged;

    // The mark's amplitude near each edge, from steps that lie inside the
    // mark even if the guesses are off by half the search: at most
    // searchSteps of them (a long mark may turn slowly in phase).
    const auto a = static_cast<std::int64_t>(std::ceil(start + 0.5 * searchSteps));
    const auto b = static_cast<std::int64_t>(std::floor(end - 0.5 * searchSteps));
    const auto middle = static_cast<std::int64_t>(std::floor(0.5 * (start + end)));
    const auto inner = std::max<std::int64_t>(1, static_cast<std::int64_t>(searchSteps));
    auto amplitude = [&](std::int64_t from, std::int64_t to) {
        if (to <= from) {
            from = middle;
            to = middle + 1;
        }
        std::complex<double> sum{};
        for (std::int64_t k = from; k < to; ++k) sum += at(k);
        return sum / static_cast<double>(to - from);
    };
    const std::complex<double> rising = amplitude(a, std::min(b, a + inner));
    const std::complex<double> falling = amplitude(std::max(a, b - inner), b);

    // Each step scores how much likelier it is under the tone than under
    // silence: Re(conj(amplitude) z) - |amplitude|^2 / 2. The edge is where
    // the running sum of scores turns.
    auto score = [&](std::complex<double> amp, std::int64_t k) {
        const std::complex<double> z = at(k);
        return amp.real() * z.real() + amp.imag() * z.imag() - 0.5 * std::norm(amp);
    };
    // Fraction of a step's length that the tone filled, from its projection.
    auto filled = [&](std::complex<double> amp, std::int64_t k) {
        const double n = std::norm(amp);
        if (n <= 0.0) return 0.5;
        const std::complex<double> z = at(k);
        return std::clamp((amp.real() * z.real() + amp.imag() * z.imag()) / n, 0.0, 1.0);
    };

    Edges refined = unchanged;
    if (std::norm(rising) > 0.0) {
        // Rising edge: the step index t in [from, to] that maximises the sum
        // of scores from t to the end of the search range.
        const auto from = static_cast<std::int64_t>(std::ceil(std::max(start - searchSteps, earliest)));
        const auto to = static_cast<std::int64_t>(std::ceil(start + searchSteps));
        double suffix = 0.0, best = 0.0;
        std::int64_t bestAt = to + 1;
        for (std::int64_t t = to; t >= from; --t) {
            suffix += score(rising, t);
            if (t == to || suffix > best) {
                best = suffix;
                bestAt = t;
            }
        }
        // The step before the edge may hold the first part of the tone.
        refined.start = static_cast<double>(bestAt) - filled(rising, bestAt - 1);
    }
    if (std::norm(falling) > 0.0) {
        const auto from = static_cast<std::int64_t>(std::floor(end - searchSteps));
        const auto to = static_cast<std::int64_t>(std::floor(std::min(end + searchSteps, latest))) - 1;
        double prefix = 0.0, best = 0.0;
        std::int64_t bestAt = from;
        for (std::int64_t t = from; t <= to; ++t) {
            prefix += score(falling, t);
            if (t == from || prefix > best) {
                best = prefix;
                bestAt = t + 1;
            }
        }
        refined.end = static_cast<double>(bestAt) + filled(falling, bestAt);
    }
    refined.start = std::max(refined.start, earliest);
    refined.end = std::min(refined.end, latest);
    if (refined.end - refined.start < 0.5) return unchanged;
    return refined;
}

}  // namespace ditdahl::automatic
