#include "support/EditDistance.h"

#include <algorithm>
#include <vector>

namespace ditdahl::testing {

std::size_t editDistance(const std::string& a, const std::string& b) { return editDistance(a, b, {}); }

std::size_t editDistance(const std::string& a, const std::string& b, const std::vector<bool>& spared) {
    return distancesToBeginnings(a, b, spared, false).back();
}

std::vector<std::size_t> distancesToBeginnings(const std::string& a, const std::string& b,
                                               const std::vector<bool>& spared, bool anyBeginningOfA) {
    // One row of the distance table at a time: row[j] is the distance
    // between the first i characters of a and the first j of b.
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    std::vector<std::size_t> best = row;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        const std::size_t cost = i <= spared.size() && spared[i - 1] ? 0 : 1;
        std::size_t diagonal = row[0];
        row[0] += cost;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + cost, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : cost)});
            diagonal = above;
        }
        if (anyBeginningOfA)
            for (std::size_t j = 0; j <= b.size(); ++j) best[j] = std::min(best[j], row[j]);
    }
    return anyBeginningOfA ? best : row;
}

}  // namespace ditdahl::testing
