#include "transmit/TransmitStep.h"

#include <mutex>

#include "base/MorseTable.h"
#include "traffic/TrafficRecord.h"
#include "transmit/Keyer.h"

namespace ditdahl {

int selectedDelayMs(const StationState& state) {
    const std::string entry = state.displays.transmit->delayChoice();
    int delayMs = 0;
    for (const char c : entry) {
        if (c < '0' || c > '9' || delayMs > 100000000) break;
        delayMs = delayMs * 10 + (c - '0');
    }
    return delayMs;
}

void transmitCharacter(StationState& state, unsigned char c, int delayMs, SendingPace& pace) {
    {
        std::lock_guard lock(state.trafficLock);
        if (c != 0) state.trafficLine.append(static_cast<char>(upperAscii(c)));
        state.displays.line->showLine(state.trafficLine.view());
        // The box keeps showing the recorded line until the next character.
        if (state.trafficLine.size() > trafficLineFlushLength) {
            flushTrafficLine(state);
            state.trafficLine.clear();
        }
    }
    keyCharacter(state, c, pace);
    pace.wait(static_cast<std::uint32_t>(delayMs));
}

void transmitText(StationState& state, std::string_view text, int delayMs, SendingPace& pace) {
    for (const char c : text) {
        if (state.stopRequested) return;
        transmitCharacter(state, static_cast<unsigned char>(c), delayMs, pace);
    }
}

void closeSending(StationState& state, SendingPace& pace) {
    pace.wait(static_cast<std::uint32_t>(currentKeyTiming(state).pauseMs));
    std::lock_guard lock(state.trafficLock);
    flushTrafficLine(state);
    state.trafficLine.clear();
    state.displays.line->showLine("");
}

}  // namespace ditdahl
