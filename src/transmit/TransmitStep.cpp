#include "transmit/TransmitStep.h"

#include <mutex>

#include "base/MorseTable.h"
#include "base/Utf8.h"
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

void transmitCharacter(StationState& state, std::string_view character, int delayMs, SendingPace& pace) {
    const auto first = static_cast<unsigned char>(character.empty() ? 0 : character[0]);
    {
        std::lock_guard lock(state.trafficLock);
        if (character.size() == 1 && first != 0) {
            state.trafficLine.append(static_cast<char>(upperAscii(first)));
        } else if (character.size() > 1) {
            state.trafficLine.append(character);
        }
        state.displays.line->showLine(state.trafficLine.view());
        // The box keeps showing the recorded line until the next character.
        if (state.trafficLine.size() > trafficLineFlushLength) {
            flushTrafficLine(state);
            state.trafficLine.clear();
        }
    }
    // Bytes above ASCII have no pattern: a character of several keys as one pause.
    keyCharacter(state, character.size() == 1 ? first : 0x80, pace);
    pace.wait(static_cast<std::uint32_t>(delayMs));
}

void transmitText(StationState& state, std::string_view text, int delayMs, SendingPace& pace) {
    while (!text.empty()) {
        if (state.stopRequested) return;
        const std::size_t length = characterLength(text);
        transmitCharacter(state, text.substr(0, length), delayMs, pace);
        text.remove_prefix(length);
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
