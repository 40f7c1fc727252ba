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

void dropGonePttPort(StationState& state, const KeyLine& gone) {
    const auto line = state.pttPort.takeIf(&gone);
    if (!line) return;
    line->release(Line::Dtr);
    line->release(Line::Rts);
    state.displays.transmit->keyingPortGone();
}

// Released here, not when the last user lets go of the port: a sending thread
// in the middle of a mark holds it until the mark's end, and the process may
// end first.
void closePttPort(StationState& state) {
    if (const auto line = state.pttPort.take()) {
        line->release(Line::Dtr);
        line->release(Line::Rts);
    }
}

}  // namespace ditdahl
