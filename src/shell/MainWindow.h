// The main window's behaviour: the start-up that brings every subsystem up in
// order, the routing of every control and menu command, the threshold track
// bar, the audio reset and the shutdown. Runs on the window thread only; it
// starts the other threads and never waits for them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/KeyDetector.h"
#include "audio/ReceiverSwitch.h"
#include "audio/Recorder.h"
#include "portable/ControlModel.h"
#include "remote/KeyingServer.h"
#include "shell/BandView.h"
#include "shell/WindowDisplays.h"
#include "shell/WindowProcedure.h"
#include "station/ControlIds.h"
#include "station/DatagramSocket.h"
#include "station/StationState.h"
#include "station/WaveIn.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl {

// The speed taken when the TX speed list has no selection: its first entry.
inline constexpr int fallbackTxSpeedWpm = 10;
inline constexpr int barFullScale = 32768;
inline constexpr Rgb thresholdBackground{240, 240, 240};
inline constexpr std::uint32_t audioResetPauseMs = 5;
// Attempts to start stalled capture again are spaced further and further
// apart, up to a minute.
inline constexpr int maxRetrySeconds = 60;
// Posted to itself when the user closed the Band window.
inline constexpr std::uint32_t bandClosedMessage = wmUser + 131;

struct MainWindowParts {
    // Runs the About box and the Band window.
    DialogRunner* dialogs = nullptr;
    // The audio input devices and the one recorder that captures from them;
    // without them the window runs without receiving.
    WaveIn* waveIn = nullptr;
    Recorder* recorder = nullptr;
    // The directory the settings and the default log live in; empty: the
    // process's current directory at start-up.
    std::string startDirectory;
    // Capture that hands over no block for this many seconds has stopped (an
    // input unplugged, a sound server gone) and is started again; 0: never.
    int captureStallSeconds = 3;
    // The keying server's socket: the system's, or a test's.
    std::function<std::unique_ptr<DatagramSocket>(const std::string& address, int port, std::string& error)>
        openDatagramSocket = ditdahl::openDatagramSocket;
};

class MainWindow final : public WindowProcedure {
public:
    // state.mainWindow, clock and desktop must be set; the station's displays
    // become this window's. A transmission still running when the window is
    // destroyed is stopped and waited for.
    MainWindow(StationState& state, MainWindowParts parts);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void onInit() override;
    void onCommand(int id, int notificationCode) override;
    void onVScroll(int id, int scrollCode) override;
    void onMessage(const WindowMessage& message) override;
    void onSecond() override;
    std::optional<Rgb> controlBackground(int id) const override;
    std::optional<FontRequest> controlFont(int id) const override;
    bool menuItemTicked(int id) const override;
    bool ended() const override { return ended_; }

private:
    void onTxSpeedSelected();
    void selectFilter(int widthHz);
    void onAutoSpeed();
    void onAutoTxSpeed();
    void showAbout();
    void beginCapture();
    void openSelectedPttPort();
    void endCapture();
    void restartCapture();
    bool startKeyingServer();
    void toggleKeyingServer();
    void showBand(bool on);
    void startSpotServer();
    void chooseBandTone(int toneHz);
    void shutdown();

    StationState& state_;
    MainWindowParts parts_;
    // Before the jobs, which show through it until they have ended.
    WindowDisplays displays_;
    TransmissionJobs jobs_;
    // After the jobs, which it starts: it stops before they go.
    KeyingServer keyingServer_;
    // Before the feed that publishes to it; it stops after capture.
    std::unique_ptr<SpotServer> spotServer_;
    ControlModel bandModel_{bandWindowTemplate()};
    // Its closing is posted: a request to end the program (taskkill) closes
    // every window, the Band window perhaps first, and the view it had on
    // must still be saved.
    BandWindow bandWindow_{bandModel_, [this](int toneHz) { chooseBandTone(toneHz); },
                           [this] {
                               state_.mainWindow->postMessage({bandClosedMessage, 0, 0});
                           }};
    // Before the switch that feeds it.
    BandFeed bandFeed_{state_, bandModel_};
    KeyDetector detector_;
    ReceiverSwitch receivers_{state_, detector_, &bandFeed_};
    bool ended_ = false;
    // The capture's health, looked at once a second: the blocks handled at
    // the last look, the seconds since it last changed (or since capture
    // could not be opened), and the seconds to wait before the next attempt.
    std::uint64_t blocksSeen_ = 0;
    int quietSeconds_ = 0;
    int retryAfterSeconds_ = 0;
};

}  // namespace ditdahl
