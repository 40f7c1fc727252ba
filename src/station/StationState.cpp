#include "station/StationState.h"

#include "station/ControlIds.h"

namespace ditdahl {

void setIdleControls(StationState& state, bool idle) {
    Controls& window = *state.mainWindow;
    window.setEnabled(ids::senseSpeedButton, idle);
    window.setEnabled(ids::transmitButton, idle);
    window.setEnabled(ids::stopButton, !idle);
}

}  // namespace ditdahl
