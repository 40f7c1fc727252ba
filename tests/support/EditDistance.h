// How far decoded text is from the text sent: the character error count
// that the benchmarks divide by the text's length.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ditdahl::testing {

// The fewest insertions, deletions and substitutions that turn a into b.
std::size_t editDistance(const std::string& a, const std::string& b);
// The same, where each character of a marked in spared may be read as any
// other or not at all at no cost (characters sent where nobody could copy
// them); spared is empty or as long as a.
std::size_t editDistance(const std::string& a, const std::string& b, const std::vector<bool>& spared);

}  // namespace ditdahl::testing
