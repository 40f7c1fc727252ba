#include "transmit/PttPort.h"

namespace ditdahl {

std::string pttPortName(int listIndex) {
    const std::string number = std::to_string(static_cast<long long>(listIndex) + 1);
    if (listIndex < 9) return "COM" + number;
    return "\\\\.\\COM" + number;
}

void openPttPort(StationState& state, int portNumber) {
    closePttPort(state);
    std::shared_ptr<KeyLine> line;
    if (portNumber >= 1 && portNumber <= pttPortCount && state.openKeyLine) line = state.openKeyLine(portNumber);
    if (!line) {
        state.desktop->messageBox(
            {"Error opening com port for PTT.", "Ditdahl", MessageButtons::Ok, MessageIcon::None});
        return;
    }
    state.pttPort.set(std::move(line));
}

void closePttPort(StationState& state) { state.pttPort.reset(); }

}  // namespace ditdahl
