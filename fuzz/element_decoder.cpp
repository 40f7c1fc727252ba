// The element decoder on any stream of key runs, from any timing state: the
// receive speed, the half-received character and the switches the window
// and the transmit jobs flip between runs all come from the bytes. Whatever
// arrives, the decoder writes only what the Morse table expands to and
// blanks, loses nothing on the way to the record, and keeps its speed within
// what it can key.
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "Support.h"
#include "base/MorseTable.h"
#include "decoder/ElementDecoder.h"
#include "decoder/SpeedTiming.h"
#include "portable/ManualClock.h"
#include "station/StationState.h"
#include "traffic/TrafficRecord.h"

using namespace ditdahl;

namespace {

bool isTableText(const MorseTable& table, std::string_view text) {
    if (text == " " || text == "#") return true;
    for (int code = 1; code < 256; ++code) {
        const auto c = static_cast<unsigned char>(code);
        if (!table.pattern(c).empty() && expandCharacter(c) == text) return true;
    }
    return false;
}

std::string upperTrimmed(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    for (char& c : text) c = static_cast<char>(upperAscii(static_cast<unsigned char>(c)));
    return text;
}

// Checks each piece of text, each pattern and each record on its way out.
struct Watcher final : LineDisplay, TrafficDisplay {
    const MorseTable* table = nullptr;
    std::string sinceRecord;  // what was appended since the last record

    void piece(std::string_view text) {
        fuzz::require(isTableText(*table, text), "the decoder wrote something the table does not expand to");
        sinceRecord += text;
    }
    void showPattern(std::string_view pattern) override {
        fuzz::require(pattern.size() <= maxElements, "a pattern is longer than the decoder collects");
        fuzz::require(pattern.find_first_not_of(".-") == std::string_view::npos, "a pattern holds more than . and -");
    }
    void addTrafficEntry(std::string_view entry) override {
        fuzz::require(entry.size() > 18 + labelReceived.size(), "an empty line was recorded");
        fuzz::require(entry.substr(18, labelReceived.size()) == labelReceived, "received text recorded as sent");
        fuzz::require(entry.substr(18 + labelReceived.size()) == upperTrimmed(sinceRecord),
                      "the record is not the text that was decoded");
        sinceRecord.clear();
    }
};

void drawPattern(FuzzedDataProvider& bytes, StationState& state) {
    const auto length = bytes.ConsumeIntegralInRange<std::size_t>(0, maxElements);
    std::string pattern;
    for (std::size_t i = 0; i < length; ++i) pattern += bytes.ConsumeBool() ? '-' : '.';
    state.symbolBuffer.assign(pattern);
    // A pending element always has its dot or dash in the buffer.
    state.elementPending = !pattern.empty() && bytes.ConsumeBool();
}

// A timing value: mostly a plausible dot or dash length, sometimes any.
int drawTiming(FuzzedDataProvider& bytes) {
    return bytes.ConsumeBool() ? bytes.ConsumeIntegralInRange(0, 2000) : bytes.ConsumeIntegral<int>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    ManualClock clock(bytes.ConsumeIntegral<std::uint32_t>());
    StationState state;
    state.clock = &clock;
    buildMorseTable(state.morseTable);
    Watcher watcher;
    watcher.table = &state.morseTable;
    state.displays.line = &watcher;
    state.displays.traffic = &watcher;
    state.receivedTextObserver = [&watcher](std::string_view text) { watcher.piece(text); };

    state.dotMs = drawTiming(bytes);
    state.dashMs = bytes.ConsumeBool() ? 3 * (state.dotMs % 1000000) : drawTiming(bytes);
    state.rxSpeedWpm = bytes.ConsumeIntegralInRange(0, 60);
    state.autoRxSpeed = bytes.ConsumeBool();
    state.autoTxSpeed = bytes.ConsumeBool();
    state.speedSensing = bytes.ConsumeBool();
    state.receiveEnabled = bytes.ConsumeBool();
    state.senseStartTick = bytes.ConsumeBool() ? 0 : bytes.ConsumeIntegral<std::uint32_t>();
    state.spaceWritten = bytes.ConsumeBool();
    state.lastCharacter = bytes.ConsumeIntegral<unsigned char>();
    drawPattern(bytes, state);
    MarkHistory& history = state.markHistory;
    history.count = bytes.ConsumeIntegralInRange(0, MarkHistory::capacity);
    for (int i = 0; i < history.count; ++i) history.entries[i] = drawTiming(bytes);

    // Each run: a byte of what it is and what changed before it, then its
    // length. The runs come from the front, the state above from the back.
    while (bytes.remaining_bytes() > 0) {
        const auto what = bytes.ConsumeIntegral<std::uint8_t>();
        std::uint32_t duration = 0;
        if (what & 0x02) {
            duration = bytes.ConsumeIntegral<std::uint32_t>();
        } else {
            duration = bytes.ConsumeIntegral<std::uint8_t>() * 4u;
        }
        if ((what & 0xF0) == 0x10) state.receiveEnabled = !state.receiveEnabled;
        if ((what & 0xF0) == 0x20) state.speedSensing = !state.speedSensing;
        if ((what & 0xF0) == 0x30) state.autoRxSpeed = !state.autoRxSpeed;
        if ((what & 0xF0) == 0x40) state.autoTxSpeed = !state.autoTxSpeed;
        if ((what & 0xF0) == 0x50) state.dotMs = drawTiming(bytes);
        if ((what & 0xF0) == 0x60) state.dashMs = drawTiming(bytes);
        state.keyDown = (what & 0x01) != 0;
        clock.advance(duration);

        const int wpmBefore = state.rxSpeedWpm;
        const int dotBefore = state.dotMs;
        decodeRun(state, duration);

        if (state.rxSpeedWpm != wpmBefore || state.dotMs != dotBefore) {
            const int wpm = state.rxSpeedWpm;
            fuzz::require(wpm >= 1 && wpm <= maxEstimatedWpm, "an estimated speed outside 1 to 30 wpm");
            fuzz::require(state.dotMs == dotMsForSpeed(wpm) && state.dashMs == 3 * state.dotMs,
                          "the timing does not follow the estimated speed");
        }
        fuzz::require(state.trafficLine.size() <= trafficLineFlushLength + 3, "the traffic line was not recorded");
        fuzz::require(state.symbolBuffer.size() <= maxElements, "the pattern grew past its limit");
    }
    fuzz::require(std::string(state.trafficLine.view()) == watcher.sinceRecord, "the traffic line lost or gained text");
    return 0;
}
