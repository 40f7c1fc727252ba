// The main window as the subsystems' displays: each display over the controls
// that show it (the RX/TX buffer and symbol boxes, the Dot, Dash and RX Speed
// boxes with the TX speed list, the level bars with the BFO and FFT boxes, the
// Traffic list, the transmit controls and the status line). Any thread, as
// the controls allow.
#pragma once

#include "station/ControlIds.h"
#include "station/Controls.h"
#include "station/Displays.h"

namespace ditdahl {

inline constexpr Rgb highlightBackground{250, 240, 190};
inline constexpr Rgb highlightBarColour{128, 0, 0};
inline constexpr Rgb plainBackground{64, 64, 64};
inline constexpr Rgb plainBarColour{128, 128, 128};

class WindowDisplays final : public LineDisplay,
                             public SpeedDisplay,
                             public SpectrumDisplay,
                             public TrafficDisplay,
                             public TransmitPanel {
public:
    explicit WindowDisplays(Controls& window) : window_(window) {}

    // Every display of the station at this window.
    Displays all() { return {this, this, this, this, this}; }

    void showLine(std::string_view line) override;
    void showPattern(std::string_view dotsAndDashes) override;

    void showTiming(int dotMs, int dashMs, int receiveWpm) override;
    std::optional<int> followReceiveSpeed() override;
    void showSendingSpeed(int wpm) override;

    void setUpBar(int bar, int maximum, bool highlighted) override;
    void highlightBar(int bar, bool highlighted) override;
    void showLevel(int bar, int level) override;
    void showTone(int frequencyHz) override;
    void showBlockPeriod(unsigned milliseconds) override;
    void captureFellBehind() override;

    void addTrafficEntry(std::string_view entry) override;
    void logFailing(std::string_view path) override;

    void showStatus(std::string_view status) override;
    void showIdle(bool idle) override;
    std::string textToSend() const override;
    void putTextToSend(std::string_view text) override;
    void focusTextToSend() override;
    void makeTransmitDefault() override;
    bool beaconTicked() const override;
    void untickBeacon() override;
    std::string beaconText() const override;
    void putBeaconText(std::string_view text) override;
    std::string beaconInterval() const override;
    std::string delayChoice() const override;
    void keyingPortGone() override;

private:
    Controls& window_;
};

}  // namespace ditdahl
