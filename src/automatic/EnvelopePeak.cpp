#include "automatic/EnvelopePeak.h"

#include <algorithm>
#include <cmath>

namespace ditdahl::automatic {

void EnvelopePeak::setLengths(int meanSteps, int windowSteps) {
    const auto length = static_cast<std::size_t>(std::max(2, meanSteps));
    if (length != recent_.size()) {
        // The most recent values stay, oldest first.
        std::vector<double> resized(length, 0.0);
        const std::size_t kept = std::min(length, recent_.size());
        for (std::size_t i = 0; i < kept; ++i)
            resized[length - kept + i] = recent_[(next_ + recent_.size() - kept + i) % recent_.size()];
        recent_ = std::move(resized);
        next_ = 0;
    }
    windowSteps_ = std::max(1, windowSteps);
}

void EnvelopePeak::setFade(double perStep, int backSteps) {
    fadePerStep_ = std::max(0.0, perStep);
    fadeBackSteps_ = std::max(0, backSteps);
}

void EnvelopePeak::clear() {
    std::fill(recent_.begin(), recent_.end(), 0.0);
    next_ = 0;
    around_.clear();
    tops_.clear();
    second_ = 0.0;
    count_ = 0;
}

double EnvelopePeak::push(double along) {
    if (recent_.empty()) setLengths(2, windowSteps_);
    recent_[next_] = along;
    next_ = (next_ + 1) % recent_.size();
    // Direct sums of at most a few dozen values never drift, as running
    // ones would.
    const std::size_t n = recent_.size();
    const std::size_t half = n / 2;
    double older = 0.0;
    double newer = 0.0;
    for (std::size_t i = 0; i < n; ++i) (i < half ? older : newer) += recent_[(next_ + i) % n];
    around_.push_back(std::min(older / static_cast<double>(half), newer / static_cast<double>(n - half)));
    const std::size_t span = 2 * half + 1;
    while (around_.size() > span) around_.pop_front();
    const double centre = around_[around_.size() / 2];
    const bool top = around_.size() == span && *std::max_element(around_.begin(), around_.end()) <= centre;
    if (top && centre > 0.0) tops_.emplace_back(count_, centre);
    while (!tops_.empty() && tops_.front().first <= count_ - windowSteps_) tops_.pop_front();
    ++count_;
    double largest = 0.0;
    double level = 0.0;
    second_ = 0.0;
    // A top is recorded half a dot after its place.
    const std::int64_t seenFrom = count_ - 1 - fadeBackSteps_ + static_cast<std::int64_t>(half);
    for (const auto& [at, value] : tops_) {
        if (value > largest) {
            second_ = largest;
            largest = value;
        } else {
            second_ = std::max(second_, value);
        }
        // This runs for every top at every step: only the older tops pay
        // for the weighing.
        const double weighed =
            at < seenFrom ? value * std::exp(-fadePerStep_ * static_cast<double>(seenFrom - at)) : value;
        level = std::max(level, weighed);
    }
    return level;
}

}  // namespace ditdahl::automatic
