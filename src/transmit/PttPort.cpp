#include "transmit/PttPort.h"

#include "station/ControlIds.h"

namespace ditdahl {

std::string pttPortName(int listIndex) {
    const std::string number = std::to_string(static_cast<long long>(listIndex) + 1);
    if (listIndex < 9) return "COM" + number;
    return "\\\\.\\COM" + number;
}

void openPttPort(StationState& state) {
    closePttPort(state);
    const int portNumber = state.mainWindow->selectedIndex(ids::pttPortList) + 1;
    std::shared_ptr<KeyLine> line;
    if (portNumber >= 1 && portNumber <= pttPortCount && state.openKeyLine) line = state.openKeyLine(portNumber);
    if (!line) {
        state.desktop->messageBox({"Error opening com port for PTT.", "Ditdahl", MessageButtons::Ok, MessageIcon::None});
        return;
    }
    state.pttPort.set(std::move(line));
}

void closePttPort(StationState& state) { state.pttPort.reset(); }

}  // namespace ditdahl
