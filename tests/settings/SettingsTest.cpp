#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/Utf8Path.h"
#include "shell/Profile.h"
#include "shell/Settings.h"
#include "station/ControlIds.h"
#include "support/Station.h"
#include "support/TempDir.h"

namespace ditdahl {
namespace {

using testing::readFileBytes;
using testing::TempDir;
using testing::TestStation;
using testing::writeFileBytes;

const std::vector<std::string> devices = {"HDA Intel PCH: ALC", "USB Audio CODEC", "usb audio 2", "Loopback"};

// A station whose start directory is a fresh temporary directory, with the
// four lists filled as at start-up.
struct SettingsStation {
    TempDir dir;
    TestStation station;
    explicit SettingsStation(const std::vector<std::string>& inputs = devices) {
        station.state.startDirectory.assign(dir.path().string());
        fillInputList(station.state, inputs);
        fillPortList(station.state);
        fillSpeedList(station.state);
        fillDelayList(station.state);
    }
    std::string ini() const { return dir.file("Ditdahl.ini"); }
    ControlModel& window() { return station.window; }
    StationState& state() { return station.state; }
    std::string selected(int list) { return window().entryText(list, window().selectedIndex(list)); }
};

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> result;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

TEST(FillLists, HoldTheOfferedChoicesInOrder) {
    std::vector<std::string> many;
    for (int i = 0; i < 12; ++i) many.push_back("Device " + std::to_string(i));
    SettingsStation s(many);
    const auto inputs = s.window().entries(ids::inputList);
    ASSERT_EQ(inputs.size(), 10u);
    EXPECT_EQ(inputs.front(), "Device 0");
    EXPECT_EQ(inputs.back(), "Device 9");
    const auto ports = s.window().entries(ids::pttPortList);
    ASSERT_EQ(ports.size(), 256u);
    EXPECT_EQ(ports.front(), "1");
    EXPECT_EQ(ports.back(), "256");
    const auto speeds = s.window().entries(ids::txSpeedList);
    ASSERT_EQ(speeds.size(), 21u);
    EXPECT_EQ(speeds.front(), "10");
    EXPECT_EQ(speeds.back(), "30");
    EXPECT_EQ(s.window().entries(ids::delayList), (std::vector<std::string>{"0", "100", "200", "500", "1000", "2000"}));
}

TEST(LoadSettings, WithoutAFileShowsTheDefaults) {
    SettingsStation s;
    loadSettings(s.state());
    auto& w = s.window();
    EXPECT_TRUE(w.isChecked(ids::filter50));
    EXPECT_FALSE(w.isChecked(ids::filter100));
    EXPECT_EQ(s.state().filterWidth, 50);
    EXPECT_EQ(s.state().fftSize, 128);
    EXPECT_TRUE(w.isChecked(ids::dtrRadio));
    EXPECT_FALSE(w.isChecked(ids::rtsRadio));
    EXPECT_TRUE(s.state().pttOnDtr);
    EXPECT_EQ(w.selectedIndex(ids::inputList), 0);
    EXPECT_EQ(s.selected(ids::pttPortList), "1");
    EXPECT_EQ(s.selected(ids::txSpeedList), "10");
    EXPECT_EQ(s.selected(ids::delayList), "0");
    EXPECT_EQ(s.state().thresholdPercent, 50.0);
    EXPECT_EQ(w.trackPosition(ids::thresholdTrackBar), 50);
    EXPECT_FALSE(w.isChecked(ids::autoSpeedTick));
    EXPECT_FALSE(w.isChecked(ids::autoTxTick));
    EXPECT_FALSE(w.isEnabled(ids::autoTxTick));
    EXPECT_EQ(w.text(ids::beaconText), "");
    EXPECT_EQ(w.text(ids::beaconInterval), "600");
    EXPECT_EQ(s.state().logPath, (s.dir.path() / "Ditdahl.log").string());
    EXPECT_EQ(s.state().txSpeedWpm, 0) << "the speed is taken from the list afterwards";
    EXPECT_FALSE(std::filesystem::exists(s.ini())) << "loading never writes";
}

TEST(LoadSettings, TakesEachStoredChoice) {
    struct Case {
        const char* file;
        int checkedRadio;    // one that must be selected, 0 for none
        int uncheckedRadio;  // one that must not be
        int list;
        const char* entry;  // expected text of list's selection, nullptr: no selection
    };
    const Case cases[] = {
        {"Filter=0", ids::filter100, ids::filter50, 0, nullptr},
        {"Filter=7", ids::filter50, ids::filter100, 0, nullptr},
        {"Filter=-1", ids::filter50, ids::filter100, 0, nullptr},
        {"PTT_Signal=1", ids::rtsRadio, ids::dtrRadio, 0, nullptr},
        {"TX_Speed=5", 0, 0, ids::txSpeedList, "15"},
        {"TX_Speed=20", 0, 0, ids::txSpeedList, "30"},
        {"TX_Speed=21", 0, 0, ids::txSpeedList, nullptr},
        {"PTT_Port=0", 0, 0, ids::pttPortList, "1"},
        {"PTT_Port=255", 0, 0, ids::pttPortList, "256"},
        {"PTT_Port=-1", 0, 0, ids::pttPortList, nullptr},
        {"Delay=4", 0, 0, ids::delayList, "1000"},
        {"Delay=6", 0, 0, ids::delayList, nullptr},
        {"InputDevice=usb", 0, 0, ids::inputList, "USB Audio CODEC"},
        {"InputDevice=USB AUDIO 2", 0, 0, ids::inputList, "usb audio 2"},
        {"InputDevice=loop", 0, 0, ids::inputList, "Loopback"},
        {"InputDevice=Removed card", 0, 0, ids::inputList, "HDA Intel PCH: ALC"},
    };
    for (const Case& c : cases) {
        SettingsStation s;
        writeFileBytes(s.ini(), std::string("[Ditdahl]\r\n") + c.file + "\r\n");
        loadSettings(s.state());
        if (c.checkedRadio) {
            EXPECT_TRUE(s.window().isChecked(c.checkedRadio)) << c.file;
        }
        if (c.uncheckedRadio) {
            EXPECT_FALSE(s.window().isChecked(c.uncheckedRadio)) << c.file;
        }
        if (c.list) {
            if (c.entry) {
                EXPECT_EQ(s.selected(c.list), c.entry) << c.file;
            } else {
                EXPECT_EQ(s.window().selectedIndex(c.list), -1) << c.file;
            }
        }
    }
}

TEST(LoadSettings, FieldsFollowTheFile) {
    struct Case {
        const char* file;
        int filterWidth, fftSize;
        bool pttOnDtr;
        double threshold;
        int trackPosition;
    };
    const Case cases[] = {
        {"Filter=0\r\nPTT_Signal=1\r\nThreshold=30", 100, 64, false, 30, 70},
        {"Filter=1\r\nPTT_Signal=0\r\nThreshold=0", 50, 128, true, 0, 100},
        {"Threshold=100", 50, 128, true, 100, 0},
        {"Threshold=120", 50, 128, true, 120, 0},
        // Neither keying line selected: pttOnDtr keeps its value (false here).
        {"PTT_Signal=2", 50, 128, false, 50, 50},
    };
    for (const Case& c : cases) {
        SettingsStation s;
        writeFileBytes(s.ini(), std::string("[Ditdahl]\r\n") + c.file + "\r\n");
        loadSettings(s.state());
        EXPECT_EQ(s.state().filterWidth, c.filterWidth) << c.file;
        EXPECT_EQ(s.state().fftSize, c.fftSize) << c.file;
        EXPECT_EQ(s.state().pttOnDtr, c.pttOnDtr) << c.file;
        EXPECT_EQ(s.state().thresholdPercent, c.threshold) << c.file;
        EXPECT_EQ(s.window().trackPosition(ids::thresholdTrackBar), c.trackPosition) << c.file;
    }
    SettingsStation s;
    writeFileBytes(s.ini(), "[Ditdahl]\r\nPTT_Signal=3\r\n");
    loadSettings(s.state());
    EXPECT_FALSE(s.window().isChecked(ids::dtrRadio));
    EXPECT_FALSE(s.window().isChecked(ids::rtsRadio));
}

TEST(LoadSettings, AutomaticSpeedTickBoxes) {
    struct Case {
        int autoTx, autoRx;
        bool autoSpeedTicked, autoTicked, autoEnabled, senseEnabled, speedListEnabled;
        bool autoRxSpeed, autoTxSpeed;
    };
    const Case cases[] = {
        {0, 0, false, false, false, true, true, false, false},
        {1, 0, false, true, false, true, true, false, false},
        {0, 1, true, false, true, false, true, true, false},
        {1, 1, true, true, true, false, false, true, true},
    };
    for (const Case& c : cases) {
        SettingsStation s;
        writeFileBytes(s.ini(), "[Ditdahl]\r\nAutoTXSpeed=" + std::to_string(c.autoTx) +
                                    "\r\nAutoRXSpeed=" + std::to_string(c.autoRx) + "\r\n");
        loadSettings(s.state());
        const std::string row = "AutoTXSpeed " + std::to_string(c.autoTx) + ", AutoRXSpeed " + std::to_string(c.autoRx);
        auto& w = s.window();
        EXPECT_EQ(w.isChecked(ids::autoSpeedTick), c.autoSpeedTicked) << row;
        EXPECT_EQ(w.isChecked(ids::autoTxTick), c.autoTicked) << row;
        EXPECT_EQ(w.isEnabled(ids::autoTxTick), c.autoEnabled) << row;
        EXPECT_EQ(w.isEnabled(ids::senseSpeedButton), c.senseEnabled) << row;
        EXPECT_EQ(w.isEnabled(ids::txSpeedList), c.speedListEnabled) << row;
        EXPECT_EQ(s.state().autoRxSpeed, c.autoRxSpeed) << row;
        EXPECT_EQ(s.state().autoTxSpeed, c.autoTxSpeed) << row;
    }
}

TEST(LoadSettings, TheAutomaticDecoderIsOnOnlyByItsOwnSection) {
    struct Case {
        const char* file;  // nullptr: no file
        bool on;
    };
    const Case cases[] = {
        {nullptr, false},
        {"[Automatic decoder]\r\nEnabled=1\r\n", true},
        {"[Automatic decoder]\r\nEnabled=0\r\n", false},
        {"[automatic DECODER]\r\n  enabled = 2\r\n", true},
        {"[Automatic decoder]\r\n", false},
        {"[Ditdahl]\r\nEnabled=1\r\n[Automatic decoder]\r\nEnabled=x\r\n", false},
    };
    for (const Case& c : cases) {
        const std::string row = c.file ? c.file : "(no file)";
        SettingsStation s;
        if (c.file) writeFileBytes(s.ini(), c.file);
        s.state().automaticDecoder = !c.on;
        loadSettings(s.state());
        EXPECT_EQ(s.state().automaticDecoder, c.on) << row;
    }
}

TEST(LoadSettings, TheKeyingServerListensOnlyWhenAskedAndOnLoopbackUnlessTold) {
    struct Case {
        const char* file;  // nullptr: no file
        bool on;
        int port;
        std::string address;
    };
    const Case cases[] = {
        {nullptr, false, 6789, "127.0.0.1"},
        {"[Keying server]\r\nEnabled=1\r\nPort=6800\r\nAddress=0.0.0.0\r\n", true, 6800, "0.0.0.0"},
        {"[Keying server]\r\nPort=0\r\nAddress=\r\n", false, 6789, "127.0.0.1"},
        {"[Keying server]\r\nPort=65536\r\n", false, 6789, "127.0.0.1"},
        {"[Ditdahl]\r\nEnabled=1\r\nPort=7000\r\n", false, 6789, "127.0.0.1"},
    };
    for (const Case& c : cases) {
        const std::string row = c.file ? c.file : "(no file)";
        SettingsStation s;
        if (c.file) writeFileBytes(s.ini(), c.file);
        loadSettings(s.state());
        EXPECT_EQ(s.state().keyingServer.enabled, c.on) << row;
        EXPECT_EQ(s.state().keyingServer.port, c.port) << row;
        EXPECT_EQ(s.state().keyingServer.address, c.address) << row;
    }
}

TEST(Settings, TheBandViewIsKeptInItsOwnSectionOnceTurnedOn) {
    struct Case {
        const char* file;  // nullptr: no file
        bool loadedOn;
        bool savedOn;
        const char* saved;  // the section as saved; nullptr: none
    };
    const Case cases[] = {
        {nullptr, false, false, nullptr},
        {nullptr, false, true, "[Band]\r\nEnabled=1\r\n"},
        {"[Band]\r\nEnabled=1\r\n", true, false, "[Band]\r\nEnabled=0\r\n"},
        {"[Band]\r\nEnabled=0\r\n", false, false, "[Band]\r\nEnabled=0\r\n"},
        {"[Ditdahl]\r\nEnabled=1\r\n", false, false, nullptr},
    };
    for (const Case& c : cases) {
        const std::string row = c.file ? c.file : "(no file)";
        SettingsStation s;
        if (c.file) writeFileBytes(s.ini(), c.file);
        loadSettings(s.state());
        EXPECT_EQ(s.state().bandView, c.loadedOn) << row;
        s.state().bandView = c.savedOn;
        ASSERT_TRUE(saveSettings(s.state())) << row;
        const std::string saved = readFileBytes(s.ini());
        if (c.saved) {
            EXPECT_NE(saved.find(c.saved), std::string::npos) << row << saved;
        } else {
            EXPECT_EQ(saved.find("[Band]"), std::string::npos) << row << saved;
        }
    }
}

TEST(Settings, TheBandViewsSpotChoicesLoadAndSaveInItsSection) {
    struct Case {
        const char* file;
        bool serve;
        int port;
        bool upper;
        const char* spotter;
        const char* saved;
    };
    const Case cases[] = {
        {"[Band]\r\nEnabled=1\r\n", false, 7300, true, "DITDAHL",
         "[Band]\r\nEnabled=1\r\nSpotServer=0\r\nSpotPort=7300\r\nDialKHz=\r\nSideband=USB\r\nSpotter=DITDAHL\r\n"},
        {"[Band]\r\nEnabled=1\r\nSpotServer=1\r\nSpotPort=7373\r\nDialKHz=14025.5\r\nSideband=lsb\r\nSpotter="
         "DL1ABC\r\n",
         true, 7373, false, "DL1ABC",
         "SpotServer=1\r\nSpotPort=7373\r\nDialKHz=14025.5\r\nSideband=LSB\r\nSpotter=DL1ABC\r\n"},
        {"[Band]\r\nEnabled=1\r\nSpotPort=70000\r\nSideband=CW\r\nSpotter=\r\n", false, 7300, true, "DITDAHL",
         "SpotPort=7300\r\n"},
    };
    for (const Case& c : cases) {
        SettingsStation s;
        writeFileBytes(s.ini(), c.file);
        loadSettings(s.state());
        const StationState::BandSpotChoice& spots = s.state().bandSpots;
        EXPECT_EQ(spots.serve, c.serve) << c.file;
        EXPECT_EQ(spots.port, c.port) << c.file;
        EXPECT_EQ(spots.upperSideband, c.upper) << c.file;
        EXPECT_EQ(spots.spotter, c.spotter) << c.file;
        ASSERT_TRUE(saveSettings(s.state())) << c.file;
        EXPECT_NE(readFileBytes(s.ini()).find(c.saved), std::string::npos) << readFileBytes(s.ini());
    }
}

TEST(SaveSettings, ANewFileHoldsTheTwelveKeysInOrder) {
    SettingsStation s;
    loadSettings(s.state());
    saveSettings(s.state());
    EXPECT_EQ(lines(readFileBytes(s.ini())),
              (std::vector<std::string>{"[Ditdahl]", "Filter=1", "PTT_Signal=0", "InputDevice=HDA Intel PCH: ALC",
                                        "PTT_Port=0", "TX_Speed=0", "AutoRXSpeed=0", "AutoTXSpeed=0", "Delay=0",
                                        "LogPath=" + (s.dir.path() / "Ditdahl.log").string(), "Threshold=50",
                                        "BeaconText=", "BeaconInterval=600", "[Automatic decoder]", "Enabled=0",
                                        "[Keying server]", "Enabled=0", "Port=6789", "Address=127.0.0.1"}));
}

TEST(SaveSettings, WritesWhatTheControlsShow) {
    SettingsStation s;
    loadSettings(s.state());
    auto& w = s.window();
    w.setChecked(ids::filter50, false);
    w.setChecked(ids::filter100, true);
    w.setChecked(ids::dtrRadio, false);
    w.setChecked(ids::rtsRadio, true);
    w.select(ids::inputList, 3);
    w.select(ids::pttPortList, 16);
    w.select(ids::txSpeedList, -1);
    w.select(ids::delayList, 5);
    w.setChecked(ids::autoSpeedTick, true);
    w.setChecked(ids::autoTxTick, true);
    s.state().thresholdPercent = 73.9;
    s.state().logPath.assign("/var/log/cw.log");
    w.setText(ids::beaconText, std::string(300, 'B'));
    w.setText(ids::beaconInterval, "0042");
    s.state().automaticDecoder = true;
    saveSettings(s.state());
    EXPECT_EQ(lines(readFileBytes(s.ini())),
              (std::vector<std::string>{
                  "[Ditdahl]", "Filter=0", "PTT_Signal=1", "InputDevice=Loopback", "PTT_Port=16", "TX_Speed=-1",
                  "AutoRXSpeed=1", "AutoTXSpeed=1", "Delay=5", "LogPath=/var/log/cw.log", "Threshold=73",
                  "BeaconText=" + std::string(255, 'B'), "BeaconInterval=0042", "[Automatic decoder]", "Enabled=1",
                  "[Keying server]", "Enabled=0", "Port=6789", "Address=127.0.0.1"}));
}

TEST(SaveSettings, LeavesKeysWithoutAChoiceAsTheyWere) {
    SettingsStation s(std::vector<std::string>{});
    writeFileBytes(s.ini(), "[Ditdahl]\r\nFilter=0\r\nPTT_Signal=5\r\nInputDevice=USB headset\r\n");
    loadSettings(s.state());
    s.window().setChecked(ids::filter100, false);
    saveSettings(s.state());
    const auto saved = lines(readFileBytes(s.ini()));
    EXPECT_EQ(saved[1], "Filter=0");
    EXPECT_EQ(saved[2], "PTT_Signal=5");
    EXPECT_EQ(saved[3], "InputDevice=USB headset") << "no device now: the stored one is kept";
}

TEST(SaveSettings, GoesIntoTheStartDirectoryAfterTheCurrentDirectoryChanged) {
    SettingsStation s;
    TempDir elsewhere;
    const auto before = std::filesystem::current_path();
    loadSettings(s.state());
    std::filesystem::current_path(elsewhere.path());
    saveSettings(s.state());
    std::filesystem::current_path(before);
    EXPECT_TRUE(std::filesystem::exists(s.ini()));
    EXPECT_FALSE(std::filesystem::exists(elsewhere.file("Ditdahl.ini")));
}

TEST(SaveSettings, SavingAndLoadingAgainGivesTheSameChoices) {
    SettingsStation first;
    writeFileBytes(first.ini(),
                   "[Ditdahl]\r\nFilter=0\r\nPTT_Signal=1\r\nInputDevice=usb audio\r\nPTT_Port=3\r\nTX_Speed=7\r\n"
                   "AutoRXSpeed=1\r\nAutoTXSpeed=1\r\nDelay=2\r\nLogPath=/tmp/x.log\r\nThreshold=35\r\n"
                   "BeaconText=CQ CQ DE TEST\r\nBeaconInterval=120\r\n[Automatic decoder]\r\nEnabled=1\r\n"
                   "[Keying server]\r\nEnabled=1\r\nPort=6790\r\nAddress=::1\r\n");
    loadSettings(first.state());
    const std::string original = readFileBytes(first.ini());
    saveSettings(first.state());
    SettingsStation second;
    writeFileBytes(second.ini(), readFileBytes(first.ini()));
    loadSettings(second.state());

    for (int radio :
         {ids::filter100, ids::filter50, ids::dtrRadio, ids::rtsRadio, ids::autoSpeedTick, ids::autoTxTick}) {
        EXPECT_EQ(first.window().isChecked(radio), second.window().isChecked(radio)) << radio;
    }
    for (int list : {ids::inputList, ids::pttPortList, ids::txSpeedList, ids::delayList}) {
        EXPECT_EQ(first.window().selectedIndex(list), second.window().selectedIndex(list)) << list;
    }
    for (int box : {ids::beaconText, ids::beaconInterval}) {
        EXPECT_EQ(first.window().text(box), second.window().text(box)) << box;
    }
    for (int control : {ids::txSpeedList, ids::senseSpeedButton, ids::autoTxTick}) {
        EXPECT_EQ(first.window().isEnabled(control), second.window().isEnabled(control)) << control;
    }
    EXPECT_EQ(second.window().trackPosition(ids::thresholdTrackBar), 65);
    EXPECT_EQ(second.state().thresholdPercent, 35.0);
    EXPECT_EQ(second.state().logPath, "/tmp/x.log");
    EXPECT_EQ(second.state().filterWidth, 100);
    EXPECT_FALSE(second.state().pttOnDtr);
    EXPECT_TRUE(second.state().autoTxSpeed);
    EXPECT_TRUE(second.state().automaticDecoder);
    EXPECT_TRUE(second.state().keyingServer.enabled);
    EXPECT_EQ(second.state().keyingServer.port, 6790);
    EXPECT_EQ(second.state().keyingServer.address, "::1");
    EXPECT_EQ(first.selected(ids::inputList), "USB Audio CODEC");
    // The stored prefix became the full name; everything else is as it was.
    const auto originalLines = lines(original);
    const auto savedLines = lines(readFileBytes(first.ini()));
    ASSERT_EQ(savedLines.size(), originalLines.size());
    EXPECT_EQ(savedLines[3], "InputDevice=USB Audio CODEC");
}

// The Input list stores the device's whole name: the device chosen is the
// one found at the next start, even when another name begins with it.
TEST(SaveSettings, TheChosenInputIsFoundAgainAmongNamesThatBeginAlike) {
    struct Case {
        std::vector<std::string> inputs;
        int chosen;
    };
    const Case cases[] = {
        {{"USB Audio CODEC 2", "USB Audio CODEC"}, 1},
        {{"USB Audio CODEC 2", "USB Audio CODEC"}, 0},
        {{"pulse monitor", "Pulse", "pulse"}, 2},
        {{"pulse monitor", "Pulse", "pulse"}, 1},
    };
    for (const Case& c : cases) {
        SettingsStation first(c.inputs);
        loadSettings(first.state());
        first.window().select(ids::inputList, c.chosen);
        saveSettings(first.state());
        SettingsStation second(c.inputs);
        writeFileBytes(second.ini(), readFileBytes(first.ini()));
        loadSettings(second.state());
        EXPECT_EQ(second.window().selectedIndex(ids::inputList), c.chosen) << c.inputs[c.chosen];
    }
}

// The reader takes off blanks around a value and a pair of quotes: texts
// that have them must still come back as they were saved.
TEST(SaveSettings, TextsWithBlanksOrQuotesAtTheirEndsLoadBackWhole) {
    for (const char* text : {"CQ DE TEST ", "  QRL?", "\"TEST\"", "'x'"}) {
        SettingsStation first;
        loadSettings(first.state());
        first.window().setText(ids::beaconText, text);
        first.state().logPath.assign(text);
        saveSettings(first.state());
        SettingsStation second;
        writeFileBytes(second.ini(), readFileBytes(first.ini()));
        loadSettings(second.state());
        EXPECT_EQ(second.window().text(ids::beaconText), text);
        EXPECT_EQ(second.state().logPath, text);
    }
}

TEST(SaveSettings, KeepsEveryOtherLineOfAHandWrittenFile) {
    SettingsStation s;
    const std::string handWritten =
        "; station settings, edited by hand\r\n"
        "[Ports]\r\n"
        "COM1=/dev/pts/7\r\n"
        "\r\n"
        "[Ditdahl]\r\n"
        "  Filter = 0   \r\n"
        "; keep this comment\r\n"
        "BeaconText = \"CQ DE TEST\"\r\n"
        "Favourite=yes\r\n"
        "\r\n"
        "[Later]\r\n"
        "Filter=9\r\n";
    writeFileBytes(s.ini(), handWritten);
    loadSettings(s.state());
    EXPECT_TRUE(s.window().isChecked(ids::filter100));
    EXPECT_EQ(s.window().text(ids::beaconText), "CQ DE TEST");
    saveSettings(s.state());
    const auto saved = lines(readFileBytes(s.ini()));
    for (const char* kept : {"; station settings, edited by hand", "[Ports]", "COM1=/dev/pts/7", "; keep this comment",
                             "Favourite=yes", "[Later]", "Filter=9"}) {
        EXPECT_EQ(std::count(saved.begin(), saved.end(), kept), 1) << kept;
    }
    const auto ports = std::find(saved.begin(), saved.end(), "[Ports]");
    const auto ditdahl = std::find(saved.begin(), saved.end(), "[Ditdahl]");
    const auto later = std::find(saved.begin(), saved.end(), "[Later]");
    ASSERT_TRUE(ports < ditdahl && ditdahl < later);
    // Every key of the program lies in its own section, once.
    for (const std::string key : {"Filter", "PTT_Signal", "InputDevice", "PTT_Port", "TX_Speed", "AutoRXSpeed",
                                  "AutoTXSpeed", "Delay", "LogPath", "Threshold", "BeaconText", "BeaconInterval"}) {
        const auto count = std::count_if(ditdahl, later, [&](const std::string& line) {
            const auto start = line.find_first_not_of(' ');
            return start != std::string::npos && line.compare(start, key.size() + 1, key + "=") == 0;
        });
        const auto spaced = std::count(ditdahl, later, "  Filter = 0   ");
        EXPECT_EQ(count + (key == "Filter" ? spaced : 0), 1) << key;
    }
    EXPECT_EQ(readProfileInt(s.ini(), "Ditdahl", "Filter", 5), 0);
    EXPECT_EQ(readProfileInt(s.ini(), "Later", "Filter", 5), 9);
}

// Files that other editors write: a byte-order mark before the first section
// (Windows Notepad writes one) must not hide the keys, nor make a save add a
// second section; the mark stays where it was.
TEST(Settings, AByteOrderMarkBeforeTheFirstSectionIsKept) {
    SettingsStation s;
    const std::string mark = "\xEF\xBB\xBF";
    writeFileBytes(s.ini(), mark + "[Ditdahl]\r\nFilter=0\r\nThreshold=20\r\n");
    loadSettings(s.state());
    EXPECT_EQ(s.state().filterWidth, 100);
    EXPECT_EQ(s.state().thresholdPercent, 20.0);
    saveSettings(s.state());
    const std::string saved = readFileBytes(s.ini());
    EXPECT_EQ(saved.substr(0, 3), mark);
    EXPECT_EQ(saved.find("[Ditdahl]"), 3u);
    EXPECT_EQ(saved.find("[Ditdahl]", 4), std::string::npos) << saved;
}

// A start directory of any length, named in any language, keeps its settings
// and its log in itself, never in a directory named by a cut-off or
// misconverted part of its path.
TEST(Settings, ALongStartDirectoryIsKeptWhole) {
    SettingsStation s;
    std::filesystem::path deep = s.dir.path() / pathFromUtf8("Funkbude M\xC3\xBCller \xE6\x97\xA5");
    while (utf8FromPath(deep).size() < 700) deep /= std::string(60, 'd');
    std::filesystem::create_directories(deep);
    s.state().startDirectory.assign(utf8FromPath(deep));
    loadSettings(s.state());
    EXPECT_EQ(s.state().logPath, utf8FromPath(deep / "Ditdahl.log"));
    saveSettings(s.state());
    EXPECT_TRUE(std::filesystem::exists(deep / "Ditdahl.ini"));
    const std::string saved = readFileBytes(utf8FromPath(deep / "Ditdahl.ini"));
    EXPECT_NE(saved.find("LogPath=" + utf8FromPath(deep / "Ditdahl.log") + "\r\n"), std::string::npos);
}

// Settings files as they turn up on operators' disks: whatever their state,
// loading gives the stored values it can read and the defaults for the rest,
// and saving either writes the file or says it could not.
TEST(Settings, DamagedOrOddFilesLoadWhatTheyCanAndSaveOrSaySo) {
    std::string big;
    while (big.size() < 10'000'000) big += "; a comment line of the sort that grows when a file is appended to\r\n";
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) % 256);
    struct Case {
        const char* what;
        std::string bytes;
        bool folderInItsPlace;
        double threshold;  // as loaded
        bool saved;
    };
    const Case cases[] = {
        {"a folder in its place", "", true, 50.0, false},
        {"binary", binary, false, 50.0, true},
        {"binary, then the keys", binary + "\n[Ditdahl]\nThreshold=20\n", false, 20.0, true},
        {"10 MB", big + "[Ditdahl]\r\nThreshold=20\r\n", false, 20.0, true},
        {"mixed line ends", "[Ditdahl]\r\nFilter=0\nThreshold=20\r\nDelay=2", false, 20.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsStation s;
        if (c.folderInItsPlace) {
            std::filesystem::create_directory(s.ini());
        } else {
            writeFileBytes(s.ini(), c.bytes);
        }
        loadSettings(s.state());
        EXPECT_EQ(s.state().thresholdPercent, c.threshold);
        s.window().setTrackPosition(ids::thresholdTrackBar, 70);
        s.state().thresholdPercent = 30.0;
        EXPECT_EQ(saveSettings(s.state()), c.saved);
        if (!c.saved) continue;
        SettingsStation again;
        writeFileBytes(again.ini(), readFileBytes(s.ini()));
        loadSettings(again.state());
        EXPECT_EQ(again.state().thresholdPercent, 30.0);
    }
}

}  // namespace
}  // namespace ditdahl
