// The texts of the automatic receiver's benchmark.
#pragma once

#include <string>
#include <vector>

namespace ditdahl::bench {

extern const std::vector<std::string> benchTexts;

// The texts the signal families draw from: overs of a contact, other words
// than the set above and the tests, so nothing is tuned to them.
extern const std::vector<std::string> familyTexts;

}  // namespace ditdahl::bench
