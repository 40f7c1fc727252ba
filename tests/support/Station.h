// A station wired to in-memory ports, as the tests need it: the main window's
// control model (with the station's displays on it), a manual clock and a
// scripted desktop, with the Morse table built.
#pragma once

#include "doubles/ScriptedDesktop.h"
#include "portable/ControlModel.h"
#include "portable/ManualClock.h"
#include "shell/WindowDisplays.h"
#include "station/StationState.h"

namespace ditdahl::testing {

struct TestStation {
    explicit TestStation(ManualClock::Mode mode = ManualClock::Mode::AutoAdvance, std::uint32_t startTick = 1000);

    ControlModel window;
    ManualClock clock;
    ScriptedDesktop desktop;
    WindowDisplays displays{window};
    StationState state;
};

}  // namespace ditdahl::testing
