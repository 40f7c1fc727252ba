#include "shell/Settings.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>

#include "analysis/SpectrumBars.h"
#include "base/CaptureFormat.h"
#include "base/Utf8.h"
#include "base/Utf8Path.h"
#include "shell/Profile.h"
#include "station/ControlIds.h"

namespace ditdahl {
namespace {

constexpr std::size_t maxTextValue = 255;
constexpr int delayEntriesMs[] = {0, 100, 200, 500, 1000, 2000};

int readInt(const std::string& path, std::string_view key, int defaultValue) {
    return readProfileInt(path, settingsSection, key, defaultValue);
}

// A TCP or UDP port; one out of range is the default.
int readPort(const std::string& path, std::string_view section, std::string_view key, int defaultPort) {
    const int port = readProfileInt(path, section, key, defaultPort);
    return port >= 1 && port <= 65535 ? port : defaultPort;
}

std::string cut(std::string text, std::size_t length) {
    text.resize(wholeCharacterPrefix(text, length));
    return text;
}

// The entry of the stored device. A save stores the whole name, so an entry
// of exactly that name wins over one that only begins with it ("USB Audio
// CODEC" must not find "USB Audio CODEC 2"); a name written by hand may be
// the beginning of one, in any letter case.
int findInput(const Controls& window, const std::string& device) {
    const int count = window.entryCount(ids::inputList);
    for (int i = 0; i < count; ++i) {
        if (window.entryText(ids::inputList, i) == device) return i;
    }
    return window.findPrefix(ids::inputList, device);
}

}  // namespace

// Joined with the system's own separator, so that the log path kept in the
// settings file reads as its users expect.
std::string settingsPath(const StationState& state) {
    return utf8FromPath(pathFromUtf8(state.startDirectory) / "Ditdahl.ini");
}

std::string defaultLogPath(const StationState& state) {
    return utf8FromPath(pathFromUtf8(state.startDirectory) / "Ditdahl.log");
}

void fillInputList(StationState& state, const std::vector<std::string>& deviceNames) {
    int added = 0;
    for (const std::string& name : deviceNames) {
        if (added++ == maxInputDevices) break;
        state.mainWindow->addEntry(ids::inputList, name);
    }
}

void fillPortList(StationState& state) {
    for (int port = 1; port <= 256; ++port) state.mainWindow->addEntry(ids::pttPortList, std::to_string(port));
}

void fillSpeedList(StationState& state) {
    for (int wpm = 10; wpm <= 30; ++wpm) state.mainWindow->addEntry(ids::txSpeedList, std::to_string(wpm));
}

void fillDelayList(StationState& state) {
    for (int delayMs : delayEntriesMs) state.mainWindow->addEntry(ids::delayList, std::to_string(delayMs));
}

void loadSettings(StationState& state) {
    Controls& window = *state.mainWindow;
    const std::string path = settingsPath(state);

    const bool narrow = readInt(path, "Filter", 1) != 0;
    window.setChecked(narrow ? ids::filter50 : ids::filter100, true);
    state.filterWidth = narrow ? 50 : 100;
    state.fftSize = fftSizeForFilter(state.filterWidth);
    updateToneBin(state);

    const int signal = readInt(path, "PTT_Signal", 0);
    if (signal == 0 || signal == 1) {
        window.setChecked(signal == 0 ? ids::dtrRadio : ids::rtsRadio, true);
        state.pttOnDtr = signal == 0;
    }

    const std::string device = readProfileString(path, settingsSection, "InputDevice", "", maxTextValue);
    window.select(ids::inputList, std::max(0, findInput(window, device)));

    window.select(ids::pttPortList, readInt(path, "PTT_Port", 0));
    window.select(ids::txSpeedList, readInt(path, "TX_Speed", 0));
    window.select(ids::delayList, readInt(path, "Delay", 0));

    // Read as unsigned: a negative number in the file stands for a very
    // large threshold, which the track bar shows at its end.
    const std::uint32_t threshold = static_cast<std::uint32_t>(readInt(path, "Threshold", 50));
    state.thresholdPercent = static_cast<double>(threshold);
    window.setTrackPosition(ids::thresholdTrackBar,
                            static_cast<int>(std::clamp<long long>(100 - static_cast<long long>(threshold), 0, 100)));

    if (readInt(path, "AutoTXSpeed", 0) != 0) {
        window.setChecked(ids::autoTxTick, true);
        window.setEnabled(ids::txSpeedList, false);
        state.autoTxSpeed = true;
    } else {
        state.autoTxSpeed = false;
    }
    if (readInt(path, "AutoRXSpeed", 0) != 0) {
        window.setChecked(ids::autoSpeedTick, true);
        window.setEnabled(ids::senseSpeedButton, false);
        window.setEnabled(ids::autoTxTick, true);
        state.autoRxSpeed = true;
    } else {
        state.autoRxSpeed = false;
        state.autoTxSpeed = false;
        window.setEnabled(ids::txSpeedList, true);
    }

    window.setText(ids::beaconText, readProfileString(path, settingsSection, "BeaconText", "", maxTextValue));
    window.setText(ids::beaconInterval,
                   std::to_string(static_cast<std::uint32_t>(readInt(path, "BeaconInterval", 600))));

    const std::string logPath = readProfileString(path, settingsSection, "LogPath", "");
    state.logPath.assign(logPath.empty() ? defaultLogPath(state) : logPath);

    state.automaticDecoder = readProfileInt(path, automaticDecoderSection, "Enabled", 0) != 0;
    state.bandView = readProfileInt(path, bandSection, "Enabled", 0) != 0;
    StationState::BandSpotChoice& spots = state.bandSpots;
    const StationState::BandSpotChoice spotDefaults;
    spots.serve = readProfileInt(path, bandSection, "SpotServer", 0) != 0;
    spots.port = readPort(path, bandSection, "SpotPort", spotDefaults.port);
    spots.dialKHz = readProfileString(path, bandSection, "DialKHz", "", maxTextValue);
    // Anything but LSB is the usual upper sideband of CW.
    std::string sideband = readProfileString(path, bandSection, "Sideband", "USB", maxTextValue);
    for (char& c : sideband) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    spots.upperSideband = sideband != "LSB";
    spots.spotter = readProfileString(path, bandSection, "Spotter", "", maxTextValue);
    if (spots.spotter.empty()) spots.spotter = spotDefaults.spotter;

    StationState::KeyingServerChoice& server = state.keyingServer;
    const StationState::KeyingServerChoice defaults;
    server.enabled = readProfileInt(path, keyingServerSection, "Enabled", 0) != 0;
    server.port = readPort(path, keyingServerSection, "Port", defaults.port);
    server.address = readProfileString(path, keyingServerSection, "Address", "", maxTextValue);
    if (server.address.empty()) server.address = defaults.address;
}

bool saveSettings(StationState& state) {
    Controls& window = *state.mainWindow;
    std::vector<ProfileEntry> entries;
    const auto put = [&](std::string_view key, std::string value) {
        entries.push_back({settingsSection, key, std::move(value)});
    };
    if (window.isChecked(ids::filter100)) {
        put("Filter", "0");
    } else if (window.isChecked(ids::filter50)) {
        put("Filter", "1");
    }
    if (window.isChecked(ids::dtrRadio)) {
        put("PTT_Signal", "0");
    } else if (window.isChecked(ids::rtsRadio)) {
        put("PTT_Signal", "1");
    }
    // Without any input device there is no name to store; the stored one is
    // kept for when its device is back.
    const int device = window.selectedIndex(ids::inputList);
    if (device >= 0) put("InputDevice", cut(window.entryText(ids::inputList, device), maxTextValue));
    put("PTT_Port", std::to_string(window.selectedIndex(ids::pttPortList)));
    put("TX_Speed", std::to_string(window.selectedIndex(ids::txSpeedList)));
    put("AutoRXSpeed", window.isChecked(ids::autoSpeedTick) ? "1" : "0");
    put("AutoTXSpeed", window.isChecked(ids::autoTxTick) ? "1" : "0");
    put("Delay", std::to_string(window.selectedIndex(ids::delayList)));
    put("LogPath", state.logPath);
    put("Threshold", std::to_string(static_cast<long long>(state.thresholdPercent.load())));
    put("BeaconText", cut(window.text(ids::beaconText), maxTextValue));
    put("BeaconInterval", cut(window.text(ids::beaconInterval), maxTextValue));
    entries.push_back({automaticDecoderSection, "Enabled", state.automaticDecoder ? "1" : "0"});
    entries.push_back({keyingServerSection, "Enabled", state.keyingServer.enabled ? "1" : "0"});
    entries.push_back({keyingServerSection, "Port", std::to_string(state.keyingServer.port)});
    entries.push_back({keyingServerSection, "Address", state.keyingServer.address});
    if (state.bandView || readProfileInt(settingsPath(state), bandSection, "Enabled", 0) != 0) {
        const StationState::BandSpotChoice& spots = state.bandSpots;
        entries.push_back({bandSection, "Enabled", state.bandView ? "1" : "0"});
        entries.push_back({bandSection, "SpotServer", spots.serve ? "1" : "0"});
        entries.push_back({bandSection, "SpotPort", std::to_string(spots.port)});
        entries.push_back({bandSection, "DialKHz", spots.dialKHz});
        entries.push_back({bandSection, "Sideband", spots.upperSideband ? "USB" : "LSB"});
        entries.push_back({bandSection, "Spotter", spots.spotter});
    }
    // One replacement of the file for all of them: quick however large the
    // file, and never half saved.
    return writeProfileStrings(settingsPath(state), entries);
}

}  // namespace ditdahl
