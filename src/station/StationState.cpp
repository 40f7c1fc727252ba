#include "station/StationState.h"

namespace ditdahl {

void setIdleControls(StationState& state, bool idle) { state.displays.transmit->showIdle(idle); }

}  // namespace ditdahl
