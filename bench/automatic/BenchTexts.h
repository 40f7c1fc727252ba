// The texts of the automatic receiver's benchmark.
#pragma once

#include <string>
#include <vector>

namespace ditdahl::bench {

extern const std::vector<std::string> benchTexts;

}  // namespace ditdahl::bench
