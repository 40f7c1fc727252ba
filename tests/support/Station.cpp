#include "support/Station.h"

namespace ditdahl::testing {

TestStation::TestStation(ManualClock::Mode mode, std::uint32_t startTick)
    : window(mainWindowTemplate()), clock(startTick, mode) {
    state.mainWindow = &window;
    state.clock = &clock;
    state.desktop = &desktop;
    state.displays = displays.all();
    buildMorseTable(state.morseTable);
}

}  // namespace ditdahl::testing
