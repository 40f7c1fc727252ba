#include "automatic/WrittenByTone.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace ditdahl::automatic {
namespace {
// A followed tone moves by up to this much (drift, a new lock on the same
// station): closer than this, it is the same station's.
constexpr double sameStationHz = 20.0;
// Only the stations whose text may still lie in the buffer matter.
constexpr std::size_t mostStations = 8;
}  // namespace

void WrittenByTone::wrote(double toneHz, std::optional<double> untilMs) {
    if (!untilMs || untilMs == lastUntilMs_) return;
    lastUntilMs_ = untilMs;
    const auto same = std::find_if(stations_.begin(), stations_.end(),
                                   [&](const Station& s) { return std::abs(s.toneHz - toneHz) < sameStationHz; });
    if (same != stations_.end()) stations_.erase(same);
    stations_.push_back({toneHz, *untilMs});
    if (stations_.size() > mostStations) stations_.erase(stations_.begin());
}

std::optional<double> WrittenByTone::until(double toneHz) const {
    std::optional<double> latest;
    for (const Station& s : stations_)
        if (std::abs(s.toneHz - toneHz) < sameStationHz && (!latest || s.untilMs > *latest)) latest = s.untilMs;
    return latest;
}

}  // namespace ditdahl::automatic
