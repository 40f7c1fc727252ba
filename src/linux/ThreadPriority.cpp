// Raising a thread's priority on Linux: a lower nice value for this thread
// alone. Unlike a real-time policy it cannot starve the rest of the system
// should the thread ever spin. Without the right to lower it (no CAP_SYS_NICE
// and no RLIMIT_NICE allowance) the thread stays at normal priority.
#include "station/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace ditdahl {

bool raiseThreadPriority() {
    constexpr int raisedNice = -10;
    // With PRIO_PROCESS and a thread id, Linux changes that thread only.
    const auto threadId = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, threadId);
    if (errno == 0 && current <= raisedNice) return true;
    return ::setpriority(PRIO_PROCESS, threadId, raisedNice) == 0;
}

}  // namespace ditdahl
