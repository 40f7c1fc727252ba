#include "linux/ViewerLauncher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace ditdahl {

std::string startViewerProgram(const std::string& program, const std::string& path) {
    // The path travels as one argument of its own, so blanks or quotes in it
    // reach the viewer unchanged and nothing is ever interpreted by a shell. A
    // path beginning with a dash is made explicitly relative so that it cannot
    // pass for an option.
    std::string safePath = path;
    if (!safePath.empty() && safePath[0] == '-') safePath = "./" + safePath;
    std::vector<char*> argv{const_cast<char*>(program.c_str()), safePath.data(), nullptr};

    pid_t pid = 0;
    const int error = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        return "Cannot start \"" + program + "\" to view the log file: " + std::strerror(error) + ".";
    }
    // Collect the child when it ends, so that it does not linger as a zombie;
    // nobody waits for this.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }).detach();
    return {};
}

}  // namespace ditdahl
