#include "shell/MainWindow.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "analysis/SpectrumBars.h"
#include "audio/Capture.h"
#include "base/Utf8Path.h"
#include "decoder/SpeedTiming.h"
#include "portable/ControlModel.h"
#include "shell/AboutBox.h"
#include "shell/Settings.h"
#include "station/ControlIds.h"
#include "traffic/TrafficRecord.h"
#include "transmit/PttPort.h"

namespace ditdahl {
namespace {

// The decimal number at the start of a text, after blanks; 0 when there is none.
int leadingNumber(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return 0;
    text.remove_prefix(first);
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string currentDirectory() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string(".") : utf8FromPath(path);
}

// What the keying server ignores goes to standard error, where a station
// with a misconfigured logging program is looked into; the log holds what was
// sent and received.
void sayOnStandardError(std::string_view line) {
    std::fprintf(stderr, "ditdahl: %.*s\n", static_cast<int>(line.size()), line.data());
}

}  // namespace

MainWindow::MainWindow(StationState& state, MainWindowParts parts)
    : state_(state),
      parts_(std::move(parts)),
      displays_(*state.mainWindow),
      jobs_(state),
      keyingServer_(state, jobs_, sayOnStandardError) {
    state_.displays = displays_.all();
}

MainWindow::~MainWindow() { state_.displays = Displays::none(); }

void MainWindow::onInit() {
    Controls& window = *state_.mainWindow;
    state_.barRange = barFullScale;

    fillInputList(state_, parts_.waveIn ? parts_.waveIn->deviceNames() : std::vector<std::string>{});
    fillPortList(state_);
    fillSpeedList(state_);
    fillDelayList(state_);

    state_.startDirectory.assign(parts_.startDirectory.empty() ? currentDirectory() : parts_.startDirectory);
    buildMorseTable(state_.morseTable);
    state_.symbolBuffer.clear();
    {
        std::lock_guard lock(state_.trafficLock);
        state_.trafficLine.clear();
    }

    loadSettings(state_);
    onTxSpeedSelected();
    window.setText(ids::bfoBox, std::to_string(static_cast<unsigned>(state_.toneFrequency.load())));

    openLogFile(state_);
    openSelectedPttPort();
    writeLogLine(state_, "Program startup", true);
    if (state_.keyingServer.enabled) startKeyingServer();
    if (state_.bandSpots.serve) startSpotServer();
    if (state_.bandView) showBand(true);
    setupBars(state_);
    beginCapture();
}

void MainWindow::onTxSpeedSelected() {
    Controls& window = *state_.mainWindow;
    const int index = window.selectedIndex(ids::txSpeedList);
    const int wpm = index >= 0 ? leadingNumber(window.entryText(ids::txSpeedList, index)) : 0;
    // Without a selection (a stored index outside the list) there is no
    // speed to take; the list's first speed keeps the timing defined.
    state_.txSpeedWpm = wpm >= 1 ? wpm : fallbackTxSpeedWpm;
    applyTxSpeedToReceive(state_);
}

void MainWindow::selectFilter(int widthHz) {
    state_.filterWidth = widthHz;
    state_.fftSize = fftSizeForFilter(widthHz);
    updateToneBin(state_);
    setupBars(state_);
    restartCapture();
}

// A capture that cannot be opened leaves the receive side idle without a
// message; the next Input or Filter change, or the Input entry chosen again,
// tries again.
void MainWindow::beginCapture() {
    const int device = state_.mainWindow->selectedIndex(ids::inputList);
    if (parts_.recorder) startCapture(state_, *parts_.recorder, receivers_, device);
}

void MainWindow::openSelectedPttPort() { openPttPort(state_, state_.mainWindow->selectedIndex(ids::pttPortList) + 1); }

void MainWindow::endCapture() {
    if (parts_.recorder) stopCapture(*parts_.recorder);
}

void MainWindow::restartCapture() {
    endCapture();
    beginCapture();
}

// A socket that cannot be had (the port taken, no such address) is said at
// once; the choice stays, to be tried again at the next start.
bool MainWindow::startKeyingServer() {
    const StationState::KeyingServerChoice& choice = state_.keyingServer;
    std::string error;
    auto socket = parts_.openDatagramSocket(choice.address, choice.port, error);
    if (!socket) {
        state_.desktop->messageBox({"Ditdahl cannot listen for logging programs on " + choice.address + " port " +
                                        std::to_string(choice.port) + ": " + error + ".",
                                    "Ditdahl", MessageButtons::Ok, MessageIcon::Warning});
        return false;
    }
    const int port = socket->localPort();
    keyingServer_.start(std::move(socket));
    writeLogLine(state_, "Keying server listening on " + choice.address + " port " + std::to_string(port), true);
    return true;
}

void MainWindow::toggleKeyingServer() {
    if (!keyingServer_.listening()) {
        state_.keyingServer.enabled = startKeyingServer();
        return;
    }
    keyingServer_.stop();
    state_.keyingServer.enabled = false;
    writeLogLine(state_, "Keying server stopped", true);
}

// Spots come from the Band view's copy, whenever the view is on. A port
// that cannot be had is said at once; the choice stays, to be tried again at
// the next start.
void MainWindow::startSpotServer() {
    const StationState::BandSpotChoice& choice = state_.bandSpots;
    std::string error;
    auto server = std::make_unique<SpotServer>("127.0.0.1", choice.port, error);
    if (!server->listening()) {
        state_.desktop->messageBox(
            {"Ditdahl cannot serve spots on 127.0.0.1 port " + std::to_string(choice.port) + ": " + error + ".",
             "Ditdahl", MessageButtons::Ok, MessageIcon::Warning});
        return;
    }
    // A dial that is no number spots the audio tones alone, as none does.
    server->setSettings({std::strtod(choice.dialKHz.c_str(), nullptr), choice.upperSideband, choice.spotter});
    writeLogLine(state_, "Spot server listening on 127.0.0.1 port " + std::to_string(server->port()), true);
    spotServer_ = std::move(server);
    bandFeed_.spotTo(spotServer_.get());
}

// Capture changes over at its next block; nothing restarts.
void MainWindow::showBand(bool on) {
    state_.bandView = on;
    if (!on) {
        bandWindow_.close();
        return;
    }
    bandWindow_.open();
    if (parts_.dialogs) parts_.dialogs->showModeless(bandModel_, bandWindow_);
}

// As a tone button does, with the button whose watched bin lies nearest the
// channel; the automatic decoder takes the same tone as its hint.
void MainWindow::chooseBandTone(int toneHz) {
    if (ended_) return;
    selectTone(state_, 50 * nearestToneButton(toneHz, state_.filterWidth));
}

void MainWindow::onAutoSpeed() {
    Controls& window = *state_.mainWindow;
    const bool autoRx = window.isChecked(ids::autoSpeedTick);
    state_.autoRxSpeed = autoRx;
    window.setEnabled(ids::senseSpeedButton, !autoRx);
    window.setEnabled(ids::autoTxTick, autoRx);
    window.setEnabled(ids::txSpeedList, !(autoRx && state_.autoTxSpeed));
}

void MainWindow::onAutoTxSpeed() {
    Controls& window = *state_.mainWindow;
    const bool autoTx = window.isChecked(ids::autoTxTick);
    state_.autoTxSpeed = autoTx;
    window.setEnabled(ids::txSpeedList, !autoTx);
}

void MainWindow::onCommand(int id, int notificationCode) {
    // Closing the window closes its lists too, which reports them; after the
    // shutdown nothing may start again.
    if (ended_) return;
    Controls& window = *state_.mainWindow;
    switch (id) {
        case ids::transmitButton:
            jobs_.startTextTransmission();
            return;
        case ids::clearButton:
            jobs_.clearTransmitBox();
            return;
        case ids::lastMessageButton:
            jobs_.recallLastMessage();
            return;
        case ids::beaconFileButton:
            jobs_.chooseBeaconFile();
            return;
        case ids::stopButton:
            jobs_.stopTransmission();
            keyingServer_.releasePtt();
            return;
        case ids::beaconTick:
            jobs_.toggleBeacon();
            return;
        case ids::menuSendFile:
            jobs_.startFileTransmission();
            return;
        case ids::inputList:
            if (notificationCode == notify::listSelectionChange) {
                restartCapture();
            } else if (notificationCode == notify::listCloseUp && parts_.recorder && !parts_.recorder->isRunning()) {
                // The same entry chosen again: an input that failed to open
                // (unplugged, busy) is tried once more.
                beginCapture();
            }
            return;
        case ids::pttPortList:
            if (notificationCode == notify::listSelectionChange) openSelectedPttPort();
            return;
        case ids::transmitText:
            if (notificationCode == notify::editSetFocus || notificationCode == notify::editChange) {
                window.setDefaultButton(ids::transmitButton);
            }
            return;
        case ids::filter100:
            selectFilter(100);
            return;
        case ids::filter50:
            selectFilter(50);
            return;
        case ids::dtrRadio:
        case ids::rtsRadio:
            state_.pttOnDtr = window.isChecked(ids::dtrRadio);
            return;
        case ids::senseSpeedButton:
            state_.stopRequested = false;
            state_.speedSensing = true;
            setIdleControls(state_, false);
            return;
        case ids::txSpeedList:
            if (notificationCode == notify::listSelectionChange) onTxSpeedSelected();
            return;
        case ids::autoSpeedTick:
            onAutoSpeed();
            return;
        case ids::autoTxTick:
            onAutoTxSpeed();
            return;
        case ids::menuExit:
            window.postMessage({wmClose, 0, 0});
            return;
        case ids::menuAbout:
            showAbout();
            return;
        case ids::menuDeleteLogfile:
            deleteLogFile(state_);
            return;
        case ids::menuViewLogfile:
            viewLogFile(state_);
            return;
        case ids::menuAutomaticDecoder:
            // Capture changes over at its next block; nothing restarts.
            state_.automaticDecoder = !state_.automaticDecoder;
            return;
        case ids::menuKeyingServer:
            toggleKeyingServer();
            return;
        case ids::menuBand:
            showBand(!state_.bandView);
            return;
        default:
            if (const int tone = ids::toneButtonNumber(id)) {
                selectTone(state_, 50 * tone);
                return;
            }
            // Everything else, Escape included, only redraws the window, which
            // the view does after every command anyway.
            return;
    }
}

void MainWindow::onVScroll(int id, int scrollCode) {
    if (id != ids::thresholdTrackBar || scrollCode != scroll::endTrack) return;
    state_.thresholdPercent = 100.0 - state_.mainWindow->trackPosition(ids::thresholdTrackBar);
}

void MainWindow::onMessage(const WindowMessage& message) {
    if (ended_) return;
    if (message.code == audioResetMessage) {
        state_.clock->sleepMs(audioResetPauseMs);
        restartCapture();
        writeLogLine(state_, "Audio reset (WM_USER)", true);
    } else if (message.code == logFailedMessage) {
        state_.desktop->messageBox({"Ditdahl cannot write its log file " + state_.logPath +
                                        ". Received and sent lines are kept and written as soon as it can.",
                                    "Ditdahl", MessageButtons::Ok, MessageIcon::Warning});
    } else if (message.code == keyingPortGoneMessage) {
        state_.desktop->messageBox(
            {"The PTT port stopped working and was closed; sending goes on without keying. "
             "Choose the port again once it is back.",
             "Ditdahl", MessageButtons::Ok, MessageIcon::Warning});
    } else if (message.code == bandClosedMessage) {
        // Unless it was opened again meanwhile.
        if (bandWindow_.ended()) state_.bandView = false;
    } else if (message.code == wmClose) {
        shutdown();
    }
}

void MainWindow::onSecond() {
    const int stallSeconds = parts_.captureStallSeconds;
    if (ended_ || !parts_.recorder || stallSeconds <= 0) return;
    Recorder& recorder = *parts_.recorder;
    const std::uint64_t blocks = recorder.blocksHandled();
    if (recorder.isRunning() && blocks != blocksSeen_) {
        blocksSeen_ = blocks;
        quietSeconds_ = 0;
        retryAfterSeconds_ = stallSeconds;
        return;
    }
    if (retryAfterSeconds_ < stallSeconds) retryAfterSeconds_ = stallSeconds;
    if (++quietSeconds_ < retryAfterSeconds_) return;
    // Said once for each stretch, not at every attempt.
    if (retryAfterSeconds_ == stallSeconds) writeLogLine(state_, "Audio reset (input stalled)", true);
    restartCapture();
    blocksSeen_ = recorder.blocksHandled();
    quietSeconds_ = 0;
    retryAfterSeconds_ = std::min(2 * retryAfterSeconds_, maxRetrySeconds);
}

std::optional<Rgb> MainWindow::controlBackground(int id) const {
    if (id == ids::thresholdTrackBar) return thresholdBackground;
    return std::nullopt;
}

std::optional<FontRequest> MainWindow::controlFont(int id) const {
    if (id == ids::trafficList) return FontRequest{"Courier New", 14, true};
    return std::nullopt;
}

bool MainWindow::menuItemTicked(int id) const {
    if (id == ids::menuKeyingServer) return keyingServer_.listening();
    if (id == ids::menuBand) return state_.bandView;
    return id == ids::menuAutomaticDecoder && state_.automaticDecoder;
}

void MainWindow::showAbout() {
    if (!parts_.dialogs) return;
    ControlModel box(aboutBoxTemplate());
    AboutBox about(box);
    parts_.dialogs->runModal(box, about);
}

void MainWindow::shutdown() {
    // At the end no message box may hold up the closing: the log says it.
    if (!saveSettings(state_)) writeLogLine(state_, "Settings not saved: cannot write " + settingsPath(state_), true);
    endCapture();
    // The view stays on in the settings; its window goes with the program.
    bandWindow_.close();
    bandFeed_.spotTo(nullptr);
    spotServer_.reset();
    keyingServer_.stop();
    writeLogLine(state_, "Program termination", true);
    closePttPort(state_);
    closeLogFile(state_);
    ended_ = true;
}

}  // namespace ditdahl
