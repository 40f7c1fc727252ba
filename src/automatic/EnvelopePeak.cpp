#include "automatic/EnvelopePeak.h"

#include <algorithm>
#include <numeric>

namespace ditdahl::automatic {

void EnvelopePeak::setLengths(int meanSteps, int windowSteps) {
    const auto length = static_cast<std::size_t>(std::max(1, meanSteps));
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

void EnvelopePeak::clear() {
    std::fill(recent_.begin(), recent_.end(), 0.0);
    next_ = 0;
    peaks_.clear();
    count_ = 0;
}

double EnvelopePeak::push(double along) {
    if (recent_.empty()) setLengths(1, windowSteps_);
    recent_[next_] = along;
    next_ = (next_ + 1) % recent_.size();
    // A direct sum of at most a few dozen values never drifts, as a running
    // one would.
    const double mean = std::accumulate(recent_.begin(), recent_.end(), 0.0) / static_cast<double>(recent_.size());
    while (!peaks_.empty() && peaks_.back().second <= mean) peaks_.pop_back();
    peaks_.emplace_back(count_, mean);
    while (peaks_.front().first <= count_ - windowSteps_) peaks_.pop_front();
    ++count_;
    return peaks_.front().second;
}

}  // namespace ditdahl::automatic
