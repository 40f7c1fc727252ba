#include "decoder/ElementDecoder.h"

#include "decoder/SpeedTiming.h"
#include "traffic/TrafficRecord.h"

namespace ditdahl {
namespace {

constexpr unsigned char blank = ' ';

// Strictly between 0.66 and 1.5 times the expected length.
bool fitsElement(std::uint32_t durationMs, std::uint32_t expectedMs) {
    return durationMs > 0.66 * expectedMs && durationMs < 1.5 * expectedMs;
}

void pushMark(MarkHistory& history, std::uint32_t durationMs) {
    const auto d = static_cast<std::int32_t>(durationMs);
    if (history.count >= MarkHistory::capacity) {
        for (int i = 1; i < MarkHistory::capacity; ++i) history.entries[i - 1] = history.entries[i];
        history.entries[MarkHistory::capacity - 1] = d;
        history.count = MarkHistory::capacity;
    } else {
        history.entries[history.count++] = d;
    }
}

void measure(StationState& state, std::uint32_t durationMs) {
    MarkHistory& history = state.markHistory;
    if (state.senseStartTick == 0) {
        history.count = 0;
        state.senseStartTick = state.clock->tickCount();
    } else {
        const std::uint32_t elapsed = state.clock->tickCount() - state.senseStartTick;
        if (history.count >= MarkHistory::capacity || elapsed > measurementMs || state.stopRequested) {
            estimateSpeed(state);
            setIdleControls(state, true);
            state.speedSensing = false;
            state.senseStartTick = 0;
        }
    }
    if (state.keyDown && history.count < MarkHistory::capacity) {
        history.entries[history.count++] = static_cast<std::int32_t>(durationMs);
    }
}

void markStep(StationState& state, std::uint32_t durationMs) {
    if (state.symbolBuffer.size() >= maxElements) return;
    if (fitsElement(durationMs, static_cast<std::uint32_t>(state.dashMs.load()))) {
        state.symbolBuffer.append('-');
        state.elementPending = true;
    } else if (fitsElement(durationMs, static_cast<std::uint32_t>(state.dotMs.load()))) {
        state.symbolBuffer.append('.');
        state.elementPending = true;
    }
    if (state.autoRxSpeed) {
        pushMark(state.markHistory, durationMs);
        estimateSpeed(state);
        if (state.autoTxSpeed) followWithTxSpeed(state);
    }
}

void spaceStep(StationState& state, std::uint32_t durationMs) {
    const auto dot = static_cast<std::uint32_t>(state.dotMs.load());
    if (state.elementPending) {
        if (durationMs > 7 * dot) {
            // A word gap inside a character: its elements are dropped with the
            // blank, or kept when a blank was the last thing written.
            if (state.lastCharacter != blank && !state.spaceWritten) {
                appendToTrafficLine(state, " ");
                state.lastCharacter = blank;
                state.spaceWritten = true;
            }
        } else if (durationMs > 2 * dot) {
            state.displays.line->showPattern(state.symbolBuffer.view());
            state.lastCharacter = lookupCharacter(state.morseTable, state.symbolBuffer.view());
            appendToTrafficLine(state, expandCharacter(state.lastCharacter));
            state.spaceWritten = false;
        }
        state.elementPending = false;
    } else if (!state.spaceWritten) {
        appendToTrafficLine(state, " ");
        state.spaceWritten = true;
    } else {
        state.symbolBuffer.clear();
    }
}

}  // namespace

void followWithTxSpeed(StationState& state) {
    if (const auto wpm = state.displays.speed->followReceiveSpeed()) state.txSpeedWpm = *wpm;
}

void appendToTrafficLine(StationState& state, std::string_view text) {
    {
        // Checked under the lock: a transmission switches receiving off while
        // it holds it, so nothing received slips into the line being sent.
        std::lock_guard lock(state.trafficLock);
        if (!state.receiveEnabled) return;
        state.trafficLine.append(text);
        state.displays.line->showLine(state.trafficLine.view());
        if (state.receivedTextObserver) state.receivedTextObserver(text);
    }
    state.symbolBuffer.clear();
}

void flushLongTrafficLine(StationState& state) {
    std::lock_guard lock(state.trafficLock);
    if (state.trafficLine.size() <= trafficLineFlushLength) return;
    flushTrafficLine(state);
    state.trafficLine.clear();
}

void decodeRun(StationState& state, std::uint32_t durationMs) {
    if (state.speedSensing) {
        measure(state, durationMs);
    } else if (!state.receiveEnabled) {
        return;
    } else if (state.keyDown) {
        markStep(state, durationMs);
    } else {
        spaceStep(state, durationMs);
    }
    flushLongTrafficLine(state);
}

}  // namespace ditdahl
