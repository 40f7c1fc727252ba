// The settings file on any bytes: the profile reader and writer on it, and
// the window's settings loaded from it at start-up, saved, and loaded again.
// The file is the one input an operator edits by hand, and other copies of
// the program write it too: whatever it holds, start-up must come up and a
// save must give back what was loaded.
#include "shell/Settings.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <sstream>
#include <string>
#include <vector>

#include "Support.h"
#include "portable/ControlModel.h"
#include "portable/ManualClock.h"
#include "shell/Profile.h"
#include "station/ControlIds.h"
#include "station/StationState.h"
#include "station/WindowTemplate.h"

using namespace ditdahl;

namespace {

const fuzz::ScratchDir scratch;

void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) fuzz::fail("cannot write the scratch file");
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// --- the profile reader and writer ---------------------------------------

// The names the program reads, one in another letter case, and a section
// that appears nowhere. Each value is read before and after every write:
// few names keep each input cheap.
constexpr std::array<std::string_view, 4> sections = {"Ditdahl", "DITDAHL", "Automatic decoder", "Other"};
constexpr std::array<std::string_view, 8> keys = {"Filter",  "InputDevice", "Threshold", "BeaconText",
                                                  "LogPath", "Enabled",     "COM1",      "filter"};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

constexpr std::string_view missing = "\x01missing\x01";

std::vector<std::string> readAll(const std::string& path) {
    std::vector<std::string> values;
    for (std::string_view section : sections) {
        for (std::string_view key : keys) values.push_back(readProfileString(path, section, key, missing));
    }
    return values;
}

void fuzzProfile(std::string_view bytes, FuzzedDataProvider& choices) {
    const std::string path = (scratch.path() / "profile.ini").string();
    writeBytes(path, bytes);

    const auto section = sections[choices.ConsumeIntegralInRange<std::size_t>(0, sections.size() - 1)];
    const auto key = keys[choices.ConsumeIntegralInRange<std::size_t>(0, keys.size() - 1)];
    const auto maxLength = choices.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::string cut = readProfileString(path, section, key, "", maxLength);
    fuzz::require(cut.size() <= maxLength, "a read value is longer than asked for");
    fuzz::require(readProfileString(path, section, key, "").starts_with(cut), "a cut value is not the value's start");
    (void)readProfileInt(path, section, key, -7);

    const std::vector<std::string> before = readAll(path);
    fuzz::require(readBytes(path) == bytes, "reading changed the file");

    // A value is one line: the writer cuts it at a line break.
    std::string value = choices.ConsumeRandomLengthString(64);
    value = value.substr(0, value.find_first_of("\r\n"));
    fuzz::require(writeProfileString(path, section, key, value), "a write into the scratch directory failed");
    fuzz::require(readProfileString(path, section, key, missing) == value, "a written value does not read back");

    const std::vector<std::string> after = readAll(path);
    std::size_t i = 0;
    for (std::string_view s : sections) {
        for (std::string_view k : keys) {
            if (!(equalIgnoringCase(s, section) && equalIgnoringCase(k, key))) {
                fuzz::require(after[i] == before[i], "writing one key changed another");
            }
            ++i;
        }
    }

    const int number = choices.ConsumeIntegral<int>();
    fuzz::require(writeProfileString(path, section, key, std::to_string(number)), "a second write failed");
    fuzz::require(readProfileInt(path, section, key, 0) == number, "a written number does not read back");
}

// --- the window's settings -----------------------------------------------

// Two devices whose names start alike, so that the saved name must find its
// own entry again, not the first one it is the beginning of.
const std::vector<std::string> devices = {"USB Audio CODEC 2", "USB Audio CODEC", "HDA Intel PCH", "pulse", "default"};

struct Station {
    ControlModel window{mainWindowTemplate()};
    ManualClock clock;
    StationState state;

    explicit Station(const std::string& directory) {
        state.mainWindow = &window;
        state.clock = &clock;
        state.startDirectory = directory;
        buildMorseTable(state.morseTable);
        fillInputList(state, devices);
        fillPortList(state);
        fillSpeedList(state);
        fillDelayList(state);
    }
};

// Everything a load sets, as the operator would see it and as the receiver
// would use it.
struct Loaded {
    std::vector<int> checked, enabled, selected;
    int track = 0;
    std::string beaconText, beaconInterval, logPath;
    int filterWidth = 0, fftSize = 0, toneBin = 0;
    double threshold = 0.0;
    bool pttOnDtr = false, autoRx = false, autoTx = false, automatic = false;
    bool operator==(const Loaded&) const = default;
};

Loaded seen(Station& s) {
    Loaded l;
    ControlModel& w = s.window;
    for (int id : {ids::filter50, ids::filter100, ids::dtrRadio, ids::rtsRadio, ids::autoSpeedTick, ids::autoTxTick}) {
        l.checked.push_back(w.isChecked(id));
    }
    for (int id : {ids::txSpeedList, ids::senseSpeedButton, ids::autoTxTick}) l.enabled.push_back(w.isEnabled(id));
    for (int id : {ids::inputList, ids::pttPortList, ids::txSpeedList, ids::delayList}) {
        l.selected.push_back(w.selectedIndex(id));
    }
    l.track = w.trackPosition(ids::thresholdTrackBar);
    l.beaconText = w.text(ids::beaconText);
    l.beaconInterval = w.text(ids::beaconInterval);
    l.logPath = s.state.logPath;
    l.filterWidth = s.state.filterWidth;
    l.fftSize = s.state.fftSize;
    l.toneBin = s.state.toneBin;
    l.threshold = s.state.thresholdPercent;
    l.pttOnDtr = s.state.pttOnDtr;
    l.autoRx = s.state.autoRxSpeed;
    l.autoTx = s.state.autoTxSpeed;
    l.automatic = s.state.automaticDecoder;
    return l;
}

// Which of the loaded settings differ, for the report of a finding.
std::string difference(const Loaded& a, const Loaded& b) {
    std::string what;
    auto compare = [&what](const char* name, const auto& x, const auto& y) {
        if (!(x == y)) what += std::string(name) + " ";
    };
    compare("checked", a.checked, b.checked);
    compare("enabled", a.enabled, b.enabled);
    compare("selected", a.selected, b.selected);
    compare("track", a.track, b.track);
    compare("beaconText", a.beaconText, b.beaconText);
    compare("beaconInterval", a.beaconInterval, b.beaconInterval);
    compare("logPath", a.logPath, b.logPath);
    compare("filter", a.filterWidth, b.filterWidth);
    compare("threshold", a.threshold, b.threshold);
    compare("pttOnDtr", a.pttOnDtr, b.pttOnDtr);
    compare("autoRx", a.autoRx, b.autoRx);
    compare("autoTx", a.autoTx, b.autoTx);
    compare("automatic", a.automatic, b.automatic);
    return what;
}

void fuzzSettings(std::string_view bytes, FuzzedDataProvider& choices) {
    const std::string directory = (scratch.path() / "station").string();
    std::filesystem::create_directories(directory);
    const std::string ini = directory + "/Ditdahl.ini";
    writeBytes(ini, bytes);

    Station first(directory);
    loadSettings(first.state);
    fuzz::require(readBytes(ini) == bytes, "loading the settings changed the file");
    const Loaded loaded = seen(first);
    fuzz::require(loaded.filterWidth == 50 || loaded.filterWidth == 100, "the filter is neither 50 nor 100 Hz");
    fuzz::require(loaded.track >= 0 && loaded.track <= 100, "the threshold bar is off its scale");
    fuzz::require(loaded.beaconText.size() <= 255, "the beacon text is longer than the box holds");
    fuzz::require(!loaded.logPath.empty(), "there is no log path");

    saveSettings(first.state);
    const std::string saved = readBytes(ini);

    Station second(directory);
    loadSettings(second.state);
    if (const Loaded again = seen(second); !(again == loaded)) {
        fuzz::fail("saved settings load differently: " + difference(loaded, again));
    }

    saveSettings(second.state);
    fuzz::require(readBytes(ini) == saved, "saving the same settings again changed the file");

    // Then the operator chooses: whatever is chosen is what the next start
    // shows. The window's boxes hold no line breaks.
    ControlModel& w = second.window;
    w.select(ids::inputList, choices.ConsumeIntegralInRange<int>(0, static_cast<int>(devices.size()) - 1));
    w.select(ids::pttPortList, choices.ConsumeIntegralInRange(0, 255));
    w.select(ids::txSpeedList, choices.ConsumeIntegralInRange(0, 20));
    w.select(ids::delayList, choices.ConsumeIntegralInRange(0, 5));
    std::string text = choices.ConsumeRandomLengthString(300);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    w.setText(ids::beaconText, text.substr(0, 255));
    saveSettings(second.state);
    const Loaded chosen = seen(second);
    Station third(directory);
    loadSettings(third.state);
    if (const Loaded again = seen(third); !(again == chosen)) {
        fuzz::fail("the operator's choices load differently: " + difference(chosen, again));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The operator's choices and those of the profile part come from the
    // same bytes as the file, so that a plain settings file is a good seed.
    FuzzedDataProvider choices(data, size);
    fuzzSettings(bytes, choices);
    fuzzProfile(bytes, choices);
    return 0;
}
