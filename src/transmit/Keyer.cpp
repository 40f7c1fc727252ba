#include "transmit/Keyer.h"

#include <algorithm>
#include <memory>

#include "transmit/PttPort.h"

namespace ditdahl {

namespace {
constexpr int slowestOfferedWpm = 10;
// Half a dot either way still leaves half a dot between the elements.
constexpr int heaviestWeightPercent = 50;
}  // namespace

KeyTiming keyTimingForSpeed(int wpm, int weightPercent) {
    if (wpm < 1) wpm = slowestOfferedWpm;
    weightPercent = std::clamp(weightPercent, -heaviestWeightPercent, heaviestWeightPercent);
    const int dotMs = 1200 / wpm;
    const int dashMs = 3 * dotMs;
    // 0.8 x dash, truncated; in integers, so no rounding of 0.8 can creep in.
    return KeyTiming{dotMs, dashMs, dashMs * 4 / 5, 9 * dotMs, dotMs * weightPercent / 100};
}

KeyTiming currentKeyTiming(const StationState& state) {
    return keyTimingForSpeed(state.txSpeedWpm.load(), state.txWeightPercent.load());
}

void keyCharacter(StationState& state, unsigned char c, SendingPace& pace) {
    const std::string_view pattern = state.morseTable.pattern(upperAscii(c));
    if (pattern.empty()) {
        pace.wait(static_cast<std::uint32_t>(currentKeyTiming(state).pauseMs));
        return;
    }
    for (const char element : pattern) {
        // The element releases the very line (and port) it raised, even when
        // the user switches DTR/RTS or the port while it sounds, so that no
        // line is left keyed. A port is raised only while it is open: once
        // closed it was released and stays so.
        const Line line = state.pttOnDtr ? Line::Dtr : Line::Rts;
        const std::shared_ptr<KeyLine> port = state.pttPort.use([line](KeyLine& open) { open.raise(line); });
        if (port && port->gone()) dropGonePttPort(state, *port);
        const KeyTiming on = currentKeyTiming(state);
        pace.waitMark(static_cast<std::uint32_t>((element == '.' ? on.dotMs : on.dashMs) + on.weightMs));
        if (port) port->release(line);
        const KeyTiming off = currentKeyTiming(state);
        pace.wait(static_cast<std::uint32_t>(off.dotMs - off.weightMs));
    }
    pace.wait(static_cast<std::uint32_t>(currentKeyTiming(state).characterEndMs));
}

void keyCharacter(StationState& state, unsigned char c) {
    SendingPace pace(*state.clock);
    keyCharacter(state, c, pace);
}

}  // namespace ditdahl
