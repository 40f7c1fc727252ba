// Running a program as a user does, for tests and benchmarks of the desktop
// program: started with an argument vector (no shell) in a directory of its
// own, and a virtual X server to show its window on.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ditdahl::testing {

// Starts arguments[0] (looked up on PATH) in directory (empty: this one), its
// standard output into outputFd (-1: this one's), with extraEnvironment
// before this process's environment. -1 when it could not be started.
pid_t spawn(const std::vector<std::string>& arguments, const std::string& directory, int outputFd,
            const std::vector<std::string>& extraEnvironment);

// A virtual X server on a free display, for as long as the object lives.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    // ":N"; empty when no server could be started.
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace ditdahl::testing
