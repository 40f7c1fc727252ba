// Runs one of our command-line tools as a child process, the way a shell
// would but without one: the arguments go over as they are.
#pragma once

#include <string>
#include <vector>

namespace ditdahl::testing {

struct ToolRun {
    int exitCode;  // -1 when the tool could not be started or did not exit
    std::string out;
    std::string err;
};

// Runs program with arguments, standard input read from inputPath, and its
// two outputs captured through the files outPath and errPath.
ToolRun runTool(const std::string& program, const std::vector<std::string>& arguments, const std::string& inputPath,
                const std::string& outPath, const std::string& errPath);

}  // namespace ditdahl::testing
