// The overs the band benchmark's stations send: calls and reports as on a
// busy band, other words than the tests' and the automatic receiver's
// benchmark's.
#pragma once

#include <string>
#include <vector>

namespace ditdahl::bench {

extern const std::vector<std::string> bandTraffic;

}  // namespace ditdahl::bench
