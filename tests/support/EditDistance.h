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
// For each length j of b: the fewest edits (spared as above) between its
// first j characters and all of a, or, with anyBeginningOfA, the beginning
// of a that fits them best.
std::vector<std::size_t> distancesToBeginnings(const std::string& a, const std::string& b,
                                               const std::vector<bool>& spared, bool anyBeginningOfA);

}  // namespace ditdahl::testing
