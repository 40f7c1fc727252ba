// What the receive and transmit sides show, each through a small interface
// named for what it shows. The window implements them all over its controls
// (shell/WindowDisplays); the command-line tools implement the few they print
// and leave the rest to these defaults, which show nothing. Every call may come
// from any thread and is complete when it returns.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ditdahl {

// The line being received or sent, and the pattern of the last received
// character.
class LineDisplay {
public:
    virtual ~LineDisplay() = default;
    virtual void showLine(std::string_view /*line*/) {}
    virtual void showPattern(std::string_view /*dotsAndDashes*/) {}
};

// The receive timing, and the sending speed that may follow it.
class SpeedDisplay {
public:
    virtual ~SpeedDisplay() = default;
    virtual void showTiming(int /*dotMs*/, int /*dashMs*/, int /*receiveWpm*/) {}
    // Lets the sending speed follow the receive speed shown: gives the sending
    // speed now chosen, or nothing when no offered speed equals it.
    virtual std::optional<int> followReceiveSpeed() { return std::nullopt; }
    // The sending speed was chosen from outside (a logging program): the
    // offered speed equal to it is shown as chosen.
    virtual void showSendingSpeed(int /*wpm*/) {}
};

// The level bars of the spectrum and what the receiver watches.
class SpectrumDisplay {
public:
    virtual ~SpectrumDisplay() = default;
    // Bar 1..32: its range 0..maximum and whether it is drawn highlighted.
    virtual void setUpBar(int /*bar*/, int /*maximum*/, bool /*highlighted*/) {}
    virtual void highlightBar(int /*bar*/, bool /*highlighted*/) {}
    virtual void showLevel(int /*bar*/, int /*level*/) {}
    virtual void showTone(int /*frequencyHz*/) {}
    // The measured time per analysed block.
    virtual void showBlockPeriod(unsigned /*milliseconds*/) {}
    // Capture has fallen behind for a while: whoever owns it should restart
    // it. Must not wait for the owner.
    virtual void captureFellBehind() {}
};

// The recorded traffic lines, each with its timestamp and label, and the log
// they go to.
class TrafficDisplay {
public:
    virtual ~TrafficDisplay() = default;
    virtual void addTrafficEntry(std::string_view /*entry*/) {}
    // The log file cannot be written (a full or read-only disk, a missing
    // folder); its lines wait. Said once until it can be written again. Must
    // not wait for the window thread.
    virtual void logFailing(std::string_view /*path*/) {}
};

// The transmit side of the window: the text to send, the beacon's settings,
// the delay after each character, the status line and the buttons that say
// whether the station is idle.
class TransmitPanel {
public:
    virtual ~TransmitPanel() = default;
    virtual void showStatus(std::string_view /*status*/) {}
    // Idle: "Sense speed" and "Transmit" usable, "Stop" not; busy: the opposite.
    virtual void showIdle(bool /*idle*/) {}

    virtual std::string textToSend() const { return {}; }
    virtual void putTextToSend(std::string_view /*text*/) {}
    virtual void focusTextToSend() {}
    virtual void makeTransmitDefault() {}

    virtual bool beaconTicked() const { return false; }
    virtual void untickBeacon() {}
    virtual std::string beaconText() const { return {}; }
    virtual void putBeaconText(std::string_view /*text*/) {}
    virtual std::string beaconInterval() const { return {}; }

    // The chosen delay entry, e.g. "100 ms"; empty when none is chosen.
    virtual std::string delayChoice() const { return {}; }

    // The keying port has gone in the middle of a sending and was closed.
    // Must not wait for the window thread.
    virtual void keyingPortGone() {}
};

// Where each subsystem shows what it shows. Never null: each starts at a
// display that shows nothing.
struct Displays {
    LineDisplay* line;
    SpeedDisplay* speed;
    SpectrumDisplay* spectrum;
    TrafficDisplay* traffic;
    TransmitPanel* transmit;

    // Every pointer at a display that shows nothing.
    static Displays none();
};

}  // namespace ditdahl
