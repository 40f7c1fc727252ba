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
// A station whose text ended this long ago may have changed speed, or be
// another one on its tone.
constexpr double recentMs = 20000.0;
}  // namespace

void WrittenByTone::wrote(double toneHz, std::optional<double> untilMs, double dotMs) {
    if (!untilMs || untilMs == lastUntilMs_) return;
    lastUntilMs_ = untilMs;
    const auto same = std::find_if(stations_.begin(), stations_.end(),
                                   [&](const Station& s) { return std::abs(s.toneHz - toneHz) < sameStationHz; });
    if (same != stations_.end()) stations_.erase(same);
    stations_.push_back({toneHz, *untilMs, dotMs});
    if (stations_.size() > mostStations) stations_.erase(stations_.begin());
}

const WrittenByTone::Station* WrittenByTone::latestAt(double toneHz) const {
    const Station* latest = nullptr;
    for (const Station& s : stations_)
        if (std::abs(s.toneHz - toneHz) < sameStationHz && (!latest || s.untilMs > latest->untilMs)) latest = &s;
    return latest;
}

std::optional<double> WrittenByTone::until(double toneHz) const {
    const Station* latest = latestAt(toneHz);
    return latest ? std::optional<double>(latest->untilMs) : std::nullopt;
}

std::optional<double> WrittenByTone::recentDotMs(double toneHz, double nowMs) const {
    const Station* latest = latestAt(toneHz);
    return latest && latest->untilMs >= nowMs - recentMs ? std::optional<double>(latest->dotMs) : std::nullopt;
}

}  // namespace ditdahl::automatic
