// How far decoded text is from the text sent: the character error count
// that the benchmarks divide by the text's length.
#pragma once

#include <cstddef>
#include <string>

namespace ditdahl::testing {

// The fewest insertions, deletions and substitutions that turn a into b.
std::size_t editDistance(const std::string& a, const std::string& b);

}  // namespace ditdahl::testing
