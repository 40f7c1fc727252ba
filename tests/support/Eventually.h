// Waiting for another thread without fixed sleeps: a slow machine only
// takes longer, it does not fail.
#pragma once

#include <functional>

namespace ditdahl::testing {

// Waits, in real time, until condition holds; false after 10 s.
bool eventually(const std::function<bool()>& condition);

}  // namespace ditdahl::testing
