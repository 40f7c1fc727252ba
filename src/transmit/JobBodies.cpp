#include "transmit/JobBodies.h"

#include <cstdio>
#include <limits>
#include <mutex>

#include "base/Utf8.h"
#include "traffic/TrafficRecord.h"
#include "transmit/TransmitStep.h"

namespace ditdahl {

namespace {

constexpr std::size_t maxBeaconTextLength = 1023;
constexpr std::uint32_t beaconWaitStepMs = 1000;

void sendFileBytes(StationState& state, ByteFile& file, int delayMs, SendingPace& pace) {
    for (std::string c = file.nextCharacter(); !c.empty(); c = file.nextCharacter()) {
        transmitCharacter(state, c, delayMs, pace);
        if (state.stopRequested) break;
    }
    file.close();
}

void returnToIdle(StationState& state) {
    setIdleControls(state, true);
    state.displays.transmit->showStatus("");
}

// Milliseconds since a start tick, counted in 64 bits across any number of
// wraps of the 32-bit tick count, as long as it is read at least once in each.
class Elapsed {
public:
    Elapsed(Clock& clock, std::uint32_t startTick) : clock_(clock), lastTick_(startTick) {}
    std::uint64_t now() {
        const std::uint32_t tick = clock_.tickCount();
        total_ += static_cast<std::uint32_t>(tick - lastTick_);
        lastTick_ = tick;
        return total_;
    }

private:
    Clock& clock_;
    std::uint32_t lastTick_;
    std::uint64_t total_ = 0;
};

// Shows the countdown once a second until the interval, counted from the start
// of the sending, has passed; false when a stop is requested first.
bool waitForInterval(StationState& state, Elapsed& elapsed, std::uint64_t intervalMs) {
    while (elapsed.now() <= intervalMs) {
        const long long remainingSeconds =
            static_cast<long long>(intervalMs / 1000) - static_cast<long long>(elapsed.now() / 1000);
        char status[80];
        std::snprintf(status, sizeof status, "Waiting for beacon transmission (%llds)...", remainingSeconds);
        state.displays.transmit->showStatus(status);
        state.clock->sleepMs(beaconWaitStepMs);
        if (state.stopRequested) return false;
    }
    return !state.stopRequested;
}

}  // namespace

// Receiving was switched off by the start command, when it recorded the
// received line.
void textJob(StationState& state, std::atomic<bool>& running) {
    const int delayMs = selectedDelayMs(state);
    SendingPace pace(*state.clock);
    transmitText(state, state.transmitText.view(), delayMs, pace);
    closeSending(state, pace);
    running = false;
    returnToIdle(state);
    state.receiveEnabled = true;
}

void fileJob(StationState& state, ByteFile file, std::atomic<bool>& running) {
    const int delayMs = selectedDelayMs(state);
    {
        std::lock_guard lock(state.trafficLock);
        state.trafficLine.clear();
    }
    SendingPace pace(*state.clock);
    sendFileBytes(state, file, delayMs, pace);
    closeSending(state, pace);
    running = false;
    returnToIdle(state);
    state.receiveEnabled = true;
}

// Text that comes during the closing pause is sent on as a new line of its
// own, so that a logging program's messages, however they are cut into
// pieces, never wait for a new job. What waited when the sending was stopped
// was dropped by the stop; what came after it is the next job's.
void queuedTextJob(StationState& state, TextQueue& queue, std::atomic<bool>& running) {
    const int delayMs = selectedDelayMs(state);
    SendingPace pace(*state.clock);
    for (;;) {
        while (auto piece = queue.take()) {
            if (piece->beforeSent) piece->beforeSent();
            if (!piece->text.empty()) {
                state.displays.transmit->showStatus("Transmitting for a logging program: " + piece->text);
            }
            transmitText(state, piece->text, delayMs, pace);
            if (state.stopRequested) break;
            if (piece->afterSent) piece->afterSent();
        }
        closeSending(state, pace);
        if (state.stopRequested) {
            queue.detach();
            break;
        }
        if (queue.detachIfEmpty()) break;
    }
    running = false;
    returnToIdle(state);
    state.receiveEnabled = true;
}

std::uint32_t beaconIntervalSeconds(const StationState& state) {
    const std::string text = state.displays.transmit->beaconInterval();
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    const std::size_t last = text.find_last_not_of(' ');
    std::uint64_t seconds = 0;
    for (std::size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return 0;
        seconds = seconds * 10 + static_cast<std::uint64_t>(c - '0');
        if (seconds > std::numeric_limits<std::uint32_t>::max()) seconds = std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(seconds);
}

void sendBeaconText(StationState& state, const std::string& text, int delayMs, SendingPace& pace) {
    state.displays.transmit->showStatus("Transmitting beacon buffer...");
    transmitText(state, text, delayMs, pace);
}

void sendBeaconFile(StationState& state, ByteFile file, int delayMs, SendingPace& pace) {
    state.displays.transmit->showStatus("Transmitting beacon file...");
    {
        std::lock_guard lock(state.trafficLock);
        state.trafficLine.clear();
    }
    sendFileBytes(state, file, delayMs, pace);
}

void beaconJob(StationState& state, std::atomic<bool>& running) {
    TransmitPanel& panel = *state.displays.transmit;
    Clock& clock = *state.clock;
    state.beaconActive = true;
    for (;;) {
        const int delayMs = selectedDelayMs(state);
        std::string text = panel.beaconText();
        text.resize(wholeCharacterPrefix(text, maxBeaconTextLength));
        // Kept in 64 bits: intervals of more than 49 days wait as long as asked.
        const std::uint64_t intervalMs = std::uint64_t{beaconIntervalSeconds(state)} * 1000;
        {
            // Text received while the beacon waited is recorded as received;
            // from here on nothing received joins the line.
            std::lock_guard lock(state.trafficLock);
            flushTrafficLine(state);
            state.trafficLine.clear();
            state.receiveEnabled = false;
        }
        Elapsed elapsed(clock, clock.tickCount());
        SendingPace pace(clock);
        if (auto file = ByteFile::open(text)) {
            sendBeaconFile(state, std::move(*file), delayMs, pace);
        } else {
            sendBeaconText(state, text, delayMs, pace);
        }
        closeSending(state, pace);
        panel.showStatus("");
        state.receiveEnabled = true;
        if (state.stopRequested) break;
        if (!waitForInterval(state, elapsed, intervalMs)) break;
    }
    panel.showStatus("");
    panel.untickBeacon();
    running = false;
    setIdleControls(state, true);
    state.beaconActive = false;
}

}  // namespace ditdahl
