// Raising a thread's priority on Windows: above normal, within the process's
// normal priority class. Unlike time-critical it cannot starve the window or
// the rest of the system should the thread ever spin, and it needs no rights.
#include "station/ThreadPriority.h"

#include <windows.h>

namespace ditdahl {

bool raiseThreadPriority() {
    const HANDLE self = GetCurrentThread();
    if (GetThreadPriority(self) >= THREAD_PRIORITY_ABOVE_NORMAL) return true;
    return SetThreadPriority(self, THREAD_PRIORITY_ABOVE_NORMAL) != 0;
}

}  // namespace ditdahl
