#include "ToolStation.h"

#include <cstdio>
#include <mutex>

#include "analysis/SpectrumBars.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "traffic/TrafficRecord.h"

namespace ditdahl::decode {

constexpr int fullScale = 32768;

void PrintedTraffic::addTrafficEntry(std::string_view entry) {
    std::printf("%.*s\n", static_cast<int>(entry.size()), entry.data());
    std::fflush(stdout);
}

void setUpReceiver(StationState& state, const DecodeOptions& options) {
    buildMorseTable(state.morseTable);
    state.barRange = fullScale;
    state.filterWidth = options.filterHz;
    state.fftSize = fftSizeForFilter(options.filterHz);
    state.thresholdPercent = options.thresholdPercent;
    state.txSpeedWpm = options.speedWpm;
    applyTxSpeedToReceive(state);
    state.autoRxSpeed = options.autoSpeed;
    selectTone(state, 50 * options.toneButton);
}

void printDecoding(StationState& state, const DecodeOptions& options, PrintedTraffic& traffic) {
    if (options.log) {
        state.displays.traffic = &traffic;
        return;
    }
    state.receivedTextObserver = [](std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    };
}

void finishPrinting(StationState& state, const DecodeOptions& options) {
    if (options.log) {
        std::lock_guard lock(state.trafficLock);
        flushTrafficLine(state);
        state.trafficLine.clear();
    } else {
        std::fputs("\n", stdout);
    }
    std::fflush(stdout);
}

}  // namespace ditdahl::decode
