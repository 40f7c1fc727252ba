// Sends about 60 s of text through a real text job on the system clock and
// compares every key-down and key-up with the ideal timeline: how far each
// element's length is off, and how far the end has drifted. The keying line
// stamps each change with the monotonic clock in microseconds.
//
// Usage: bench_keying [SECONDS]   (default 60, at 20 and at 30 wpm)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "doubles/ScriptedDesktop.h"
#include "portable/ControlModel.h"
#include "portable/SystemClock.h"
#include "shell/WindowDisplays.h"
#include "station/ControlIds.h"
#include "station/StationState.h"
#include "station/WindowTemplate.h"
#include "traffic/TrafficRecord.h"
#include "transmit/Keyer.h"
#include "transmit/TransmissionJobs.h"

namespace ditdahl {
namespace {

class StampingLine final : public KeyLine {
public:
    void raise(Line) override { stamp(); }
    void release(Line) override { stamp(); }
    std::vector<double> stampsMs() {
        std::lock_guard lock(mutex_);
        return stamps_;
    }

private:
    void stamp() {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::lock_guard lock(mutex_);
        stamps_.push_back(std::chrono::duration<double, std::milli>(now).count());
    }
    std::mutex mutex_;
    std::vector<double> stamps_;
};

// The ideal times of every raise and release, from the first raise, and the
// text that lasts at least the given time.
std::vector<double> idealTimeline(const StationState& state, int wpm, double seconds, std::string& text) {
    const KeyTiming t = keyTimingForSpeed(wpm);
    const std::string words = "PARIS CQ DE DL1ABC = 599 73 ? ";
    std::vector<double> changes;
    double now = 0;
    for (std::size_t i = 0; now < seconds * 1000.0 && text.size() < 1023; ++i) {
        const char c = words[i % words.size()];
        text += c;
        const std::string_view pattern = state.morseTable.pattern(static_cast<unsigned char>(c));
        if (pattern.empty()) {
            now += t.pauseMs;
            continue;
        }
        for (const char element : pattern) {
            changes.push_back(now);
            now += element == '.' ? t.dotMs : t.dashMs;
            changes.push_back(now);
            now += t.dotMs;
        }
        now += t.characterEndMs;
    }
    const double first = changes.front();
    for (double& change : changes) change -= first;
    return changes;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

void benchSpeed(int wpm, double seconds) {
    ControlModel window(mainWindowTemplate());
    WindowDisplays displays(window);
    SystemClock clock;
    ScriptedDesktop desktop;
    StationState state;
    state.mainWindow = &window;
    state.displays = displays.all();
    state.clock = &clock;
    state.desktop = &desktop;
    buildMorseTable(state.morseTable);
    state.txSpeedWpm = wpm;
    state.pttOnDtr = true;
    const std::string logPath = (std::filesystem::temp_directory_path() / "bench_keying.log").string();
    state.logPath.assign(logPath);
    openLogFile(state);
    window.addEntry(ids::delayList, "0");
    window.select(ids::delayList, 0);
    auto line = std::make_shared<StampingLine>();
    state.pttPort.set(line);

    std::string text;
    const std::vector<double> ideal = idealTimeline(state, wpm, seconds, text);
    window.setText(ids::transmitText, text);
    {
        TransmissionJobs jobs(state);
        jobs.startTextTransmission();
        jobs.waitForJob();
    }
    closeLogFile(state);
    std::filesystem::remove(logPath);

    std::vector<double> measured = line->stampsMs();
    if (measured.size() != ideal.size()) {
        std::printf("%d wpm: %zu line changes, expected %zu\n", wpm, measured.size(), ideal.size());
        return;
    }
    const double first = measured.front();
    for (double& m : measured) m -= first;
    std::vector<double> errors;
    for (std::size_t i = 1; i < measured.size(); ++i) {
        errors.push_back(std::fabs((measured[i] - measured[i - 1]) - (ideal[i] - ideal[i - 1])));
    }
    const double drift = measured.back() - ideal.back();
    std::printf(
        "%2d wpm: %4zu characters, %5zu marks and spaces over %6.1f s | length error median %.3f ms, "
        "p99 %.3f ms, max %.3f ms | drift at the end %+.3f ms\n",
        wpm, text.size(), errors.size(), ideal.back() / 1000.0, percentile(errors, 0.5), percentile(errors, 0.99),
        percentile(errors, 1.0), drift);
}

}  // namespace
}  // namespace ditdahl

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: bench_keying [SECONDS]\n");
        return 2;
    }
    for (const int wpm : {20, 30}) ditdahl::benchSpeed(wpm, seconds);
    return 0;
}
