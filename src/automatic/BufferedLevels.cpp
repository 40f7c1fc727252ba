#include "automatic/BufferedLevels.h"

#include <algorithm>

#include "automatic/Envelope.h"

namespace ditdahl::automatic {
namespace {
// Marks must stand near those of the last 6 s, where the tone was found:
// earlier audio may hold only another signal's faint leakage.
constexpr double bufferedMarksWithinDb = 10.0;
}  // namespace

std::vector<double> matchedPowers(const std::vector<std::complex<double>>& steps, int filterSteps) {
    MatchedFilter filter;
    filter.setLength(filterSteps);
    std::vector<double> powers;
    powers.reserve(steps.size());
    for (const auto& z : steps) powers.push_back(filter.push(z));
    return powers;
}

BufferedLevels::BufferedLevels(Levels& levels, const std::vector<double>& powers, std::size_t every)
    : levels_(levels), powers_(powers), every_(every) {
    levels_.prime(powers.data(), powers.size());
    recentMarkDb_ = levels_.markDb();
}

void BufferedLevels::renewAt(std::size_t step) {
    if (step % every_ != 0) return;
    const std::size_t span = Levels::historySteps;
    std::size_t first = step > span / 2 ? step - span / 2 : 0;
    const std::size_t last = std::min(powers_.size(), first + span);
    first = last > span ? last - span : 0;
    levels_.prime(powers_.data() + first, last - first);
    levels_.requireMarkAbove(recentMarkDb_ - bufferedMarksWithinDb);
}

void BufferedLevels::finish() {
    levels_.prime(powers_.data(), powers_.size());
    levels_.requireMarkAbove(-1e300);
}

}  // namespace ditdahl::automatic
