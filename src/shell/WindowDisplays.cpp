#include "shell/WindowDisplays.h"

#include <charconv>
#include <string>

#include "traffic/TrafficRecord.h"

namespace ditdahl {

void WindowDisplays::showLine(std::string_view line) { window_.setText(ids::rxTxBuffer, line); }

void WindowDisplays::showPattern(std::string_view dotsAndDashes) { window_.setText(ids::symbolBox, dotsAndDashes); }

void WindowDisplays::showTiming(int dotMs, int dashMs, int receiveWpm) {
    window_.setText(ids::dotBox, std::to_string(static_cast<unsigned>(dotMs)));
    window_.setText(ids::dashBox, std::to_string(static_cast<unsigned>(dashMs)));
    window_.setText(ids::rxSpeedBox, std::to_string(static_cast<unsigned>(receiveWpm)));
}

// Only an entry that equals the RX Speed box counts, so that the list never
// shows another speed than the one sent (a receive speed of 2 wpm must not
// select "20").
std::optional<int> WindowDisplays::followReceiveSpeed() {
    std::string speedText = window_.text(ids::rxSpeedBox);
    if (speedText.size() > 255) speedText.resize(255);
    const int count = window_.entryCount(ids::txSpeedList);
    for (int i = 0; i < count; ++i) {
        if (window_.entryText(ids::txSpeedList, i) != speedText) continue;
        int wpm = 0;
        const auto [end, error] = std::from_chars(speedText.data(), speedText.data() + speedText.size(), wpm);
        if (error != std::errc() || end != speedText.data() + speedText.size()) return std::nullopt;
        window_.select(ids::txSpeedList, i);
        return wpm;
    }
    return std::nullopt;
}

void WindowDisplays::showSendingSpeed(int wpm) {
    const std::string speedText = std::to_string(wpm);
    const int count = window_.entryCount(ids::txSpeedList);
    for (int i = 0; i < count; ++i) {
        if (window_.entryText(ids::txSpeedList, i) == speedText) window_.select(ids::txSpeedList, i);
    }
}

void WindowDisplays::setUpBar(int bar, int maximum, bool highlighted) {
    window_.setBarRange(ids::levelBar(bar), 0, maximum);
    highlightBar(bar, highlighted);
}

void WindowDisplays::highlightBar(int bar, bool highlighted) {
    const int id = ids::levelBar(bar);
    window_.setBarBackground(id, highlighted ? highlightBackground : plainBackground);
    window_.setBarColour(id, highlighted ? highlightBarColour : plainBarColour);
}

void WindowDisplays::showLevel(int bar, int level) { window_.setBarPosition(ids::levelBar(bar), level); }

void WindowDisplays::showTone(int frequencyHz) {
    window_.setText(ids::bfoBox, std::to_string(static_cast<unsigned>(frequencyHz)));
}

void WindowDisplays::showBlockPeriod(unsigned milliseconds) {
    window_.setText(ids::fftBox, std::to_string(milliseconds));
}

void WindowDisplays::captureFellBehind() { window_.postMessage({audioResetMessage, 0, 0}); }

void WindowDisplays::addTrafficEntry(std::string_view entry) {
    if (window_.entryCount(ids::trafficList) >= trafficListCapacity) window_.deleteEntry(ids::trafficList, 0);
    window_.addEntry(ids::trafficList, entry);
    window_.select(ids::trafficList, window_.entryCount(ids::trafficList) - 1);
}

// Told on the window thread, which owns the message boxes.
void WindowDisplays::logFailing(std::string_view) { window_.postMessage({logFailedMessage, 0, 0}); }

void WindowDisplays::keyingPortGone() { window_.postMessage({keyingPortGoneMessage, 0, 0}); }

void WindowDisplays::showStatus(std::string_view status) { window_.setText(ids::statusLine, status); }

// The three changes are made in this order.
void WindowDisplays::showIdle(bool idle) {
    window_.setEnabled(ids::senseSpeedButton, idle);
    window_.setEnabled(ids::transmitButton, idle);
    window_.setEnabled(ids::stopButton, !idle);
}

std::string WindowDisplays::textToSend() const { return window_.text(ids::transmitText); }

void WindowDisplays::putTextToSend(std::string_view text) { window_.setText(ids::transmitText, text); }

void WindowDisplays::focusTextToSend() { window_.setFocus(ids::transmitText); }

void WindowDisplays::makeTransmitDefault() { window_.setDefaultButton(ids::transmitButton); }

bool WindowDisplays::beaconTicked() const { return window_.isChecked(ids::beaconTick); }

void WindowDisplays::untickBeacon() { window_.setChecked(ids::beaconTick, false); }

std::string WindowDisplays::beaconText() const { return window_.text(ids::beaconText); }

void WindowDisplays::putBeaconText(std::string_view text) { window_.setText(ids::beaconText, text); }

std::string WindowDisplays::beaconInterval() const { return window_.text(ids::beaconInterval); }

std::string WindowDisplays::delayChoice() const {
    return window_.entryText(ids::delayList, window_.selectedIndex(ids::delayList));
}

}  // namespace ditdahl
