// Starts an outside program on one file, without a shell and without waiting
// for it.
#pragma once

#include <string>

namespace ditdahl {

// Starts program (looked up on PATH) with path as its one argument. Returns an
// empty text when it started, else a message for the user naming the program.
std::string startViewerProgram(const std::string& program, const std::string& path);

}  // namespace ditdahl
