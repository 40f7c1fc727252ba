// Raising the priority of the calling thread, for the capture worker, which
// must keep up with the sound card while the window and the jobs run.
#pragma once

namespace ditdahl {

// Raises the calling thread above normal priority where the system allows it;
// returns false when it does not, and the thread carries on at normal
// priority.
bool raiseThreadPriority();

}  // namespace ditdahl
