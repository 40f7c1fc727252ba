#include "automatic/BufferedLevels.h"

#include <algorithm>

#include "automatic/Envelope.h"

namespace ditdahl::automatic {
namespace {
// Marks must stand near those of the last 6 s, where the tone was found:
// earlier audio may hold only another signal's faint leakage.
constexpr double bufferedMarksWithinDb = 10.0;
}  // namespace

std::vector<double> matchedPowersDb(const std::vector<std::complex<double>>& steps, int filterSteps) {
    MatchedFilter filter;
    filter.setLength(filterSteps);
    std::vector<double> powersDb;
    powersDb.reserve(steps.size());
    for (const auto& z : steps) powersDb.push_back(Levels::toDb(filter.push(z)));
    return powersDb;
}

BufferedLevels::BufferedLevels(Levels& levels, const std::vector<double>& powersDb, std::size_t every)
    : levels_(levels), powersDb_(powersDb), every_(every) {
    levels_.prime(powersDb.data(), powersDb.size());
    recentMarkDb_ = levels_.markDb();
}

void BufferedLevels::renewAt(std::size_t step) {
    if (step % every_ != 0) return;
    const std::size_t span = Levels::historySteps;
    std::size_t first = step > span / 2 ? step - span / 2 : 0;
    const std::size_t last = std::min(powersDb_.size(), first + span);
    first = last > span ? last - span : 0;
    levels_.prime(powersDb_.data() + first, last - first);
    levels_.requireMarkAbove(recentMarkDb_ - bufferedMarksWithinDb);
}

void BufferedLevels::finish() {
    levels_.prime(powersDb_.data(), powersDb_.size());
    levels_.requireMarkAbove(-1e300);
}

}  // namespace ditdahl::automatic
