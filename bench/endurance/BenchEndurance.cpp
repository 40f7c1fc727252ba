// A day of audio (24 hours by default, on the clock that moves with the
// audio) through the window's receiver and then the automatic receiver, each
// for the whole day in one process: keyed QSO text at 20 wpm in white noise,
// with a quiet minute in every five. Prints a Markdown table of the memory
// in use (resident set) at every simulated hour, the characters decoded and
// the CPU time. Memory that stays flat shows that nothing grows with time.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/BlockFeeder.h"
#include "analysis/KeyDetector.h"
#include "analysis/SpectrumBars.h"
#include "automatic/AutomaticReceiver.h"
#include "base/CaptureFormat.h"
#include "decoder/SpeedTiming.h"
#include "portable/AudioClock.h"
#include "station/StationState.h"
#include "synthesis/KeyedTone.h"
#include "synthesis/Noise.h"

using namespace ditdahl;

namespace {

constexpr int minuteFrames = 60 * captureFramesPerSecond;

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
}

// One minute of audio: the QSO keyed and repeated, or quiet (noise alone)
// every fifth minute.
class MinuteSource {
public:
    MinuteSource() {
        synthesis::KeyingPlan plan;
        plan.wpm = 20;
        plan.toneHz = 562.5;  // on the bin the window watches at 550 Hz with the 100 Hz filter
        plan.leadInMs = 300;
        plan.tailMs = 700;
        keyed_ = synthesis::keyedTone("CQ CQ DE DL1ABC DL1ABC PSE K DL1ABC DE G4XYZ UR 599 73 TU", plan);
    }
    std::vector<std::int16_t> next(long minute) {
        std::vector<double> samples(minuteFrames, 0.0);
        if (minute % 5 != 4) {
            for (int i = 0; i < minuteFrames; ++i) samples[i] = keyed_[(position_ + i) % keyed_.size()];
            position_ = (position_ + minuteFrames) % keyed_.size();
        }
        synthesis::addNoise(samples, 10000.0, 10.0, captureFramesPerSecond, noise_);
        return synthesis::toStereo16(samples);
    }

private:
    std::vector<double> keyed_;
    std::size_t position_ = 0;
    synthesis::NoiseGenerator noise_{42};
};

struct Counter final : automatic::ReceiverListener {
    void text(std::string_view decoded) override { characters += decoded.size(); }
    void speed(double, double) override {}
    void tone(double) override {}
    std::size_t characters = 0;
};

void run(const char* name, int hours, bool automaticReceiver) {
    std::printf("\n%s, %d hours of audio:\n\n| hour | resident memory | characters so far |\n|---|---|---|\n", name,
                hours);
    AudioClock clock;
    StationState state;
    state.clock = &clock;
    buildMorseTable(state.morseTable);
    state.barRange = 32768;
    state.filterWidth = 100;
    state.fftSize = fftSizeForFilter(100);
    state.thresholdPercent = 50.0;
    state.txSpeedWpm = 20;
    applyTxSpeedToReceive(state);
    selectTone(state, 550);
    std::size_t characters = 0;
    state.receivedTextObserver = [&characters](std::string_view text) { characters += text.size(); };
    KeyDetector detector;
    BlockFeeder feeder(state, detector, clock);
    Counter counter;
    automatic::AutomaticReceiver automatic(state.morseTable, counter);
    MinuteSource source;
    const double cpuBefore = cpuSeconds();
    for (long minute = 0; minute < 60L * hours; ++minute) {
        const auto audio = source.next(minute);
        if (automaticReceiver) {
            automatic.pushStereo(audio.data(), minuteFrames);
        } else {
            feeder.feed(audio.data(), minuteFrames);
        }
        if ((minute + 1) % 60 == 0) {
            std::printf("| %ld | %ld kB | %zu |\n", (minute + 1) / 60, residentKb(),
                        automaticReceiver ? counter.characters : characters);
            std::fflush(stdout);
        }
    }
    std::printf("\nCPU time %.1f s (synthesis included)\n", cpuSeconds() - cpuBefore);
}

}  // namespace

int main(int argc, char** argv) {
    const int hours = argc > 1 ? std::atoi(argv[1]) : 24;
    run("The window's receiver (key detector and element decoder, 100 Hz filter)", hours, false);
    run("The automatic receiver", hours, true);
    return 0;
}
