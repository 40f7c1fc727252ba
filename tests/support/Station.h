// A station wired to in-memory ports, as the tests need it: the main window's
// control model, a manual clock and a scripted desktop, with the Morse table
// built.
#pragma once

#include "platform/memory/ControlModel.h"
#include "platform/memory/ManualClock.h"
#include "platform/memory/ScriptedDesktop.h"
#include "shell/StationState.h"

namespace ditdahl::testing {

struct TestStation {
    explicit TestStation(ManualClock::Mode mode = ManualClock::Mode::AutoAdvance, std::uint32_t startTick = 1000);

    ControlModel window;
    ManualClock clock;
    ScriptedDesktop desktop;
    StationState state;
};

}  // namespace ditdahl::testing
